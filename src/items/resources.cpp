#include "items/resources.h"

#include <QtGlobal>

void initImageResources() {
    Q_INIT_RESOURCE(resources);
}
