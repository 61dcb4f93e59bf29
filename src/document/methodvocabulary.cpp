#include "document/methodvocabulary.h"

QStringList methodsNominative() {
    return {QStringLiteral("ультразвуковой"),
            QStringLiteral("акустико-эмиссионный"),
            QStringLiteral("визуальный и измерительный"),
            QStringLiteral("капиллярный"),
            QStringLiteral("магнитный"),
            QStringLiteral("радиационный"),
            QStringLiteral("вихретоковый"),
            QStringLiteral("тепловой"),
            QStringLiteral("электрический")};
}

QStringList methodsInstrumental() {
    return {QStringLiteral("ультразвуковым"),
            QStringLiteral("акустико-эмиссионным"),
            QStringLiteral("визуальным и измерительным"),
            QStringLiteral("капиллярным"),
            QStringLiteral("магнитным"),
            QStringLiteral("радиационным"),
            QStringLiteral("вихретоковым"),
            QStringLiteral("тепловым"),
            QStringLiteral("электрическим")};
}

QStringList methodsGenitive() {
    return {QStringLiteral("ультразвукового"),
            QStringLiteral("акустико-эмиссионного"),
            QStringLiteral("визуального и измерительного"),
            QStringLiteral("капиллярного"),
            QStringLiteral("магнитного"),
            QStringLiteral("радиационного"),
            QStringLiteral("вихретокового"),
            QStringLiteral("теплового"),
            QStringLiteral("электрического")};
}

QStringList methodsDative() {
    return {QStringLiteral("ультразвуковому"),
            QStringLiteral("акустико-эмиссионному"),
            QStringLiteral("визуальному и измерительному"),
            QStringLiteral("капиллярному"),
            QStringLiteral("магнитному"),
            QStringLiteral("радиационному"),
            QStringLiteral("вихретоковому"),
            QStringLiteral("тепловому"),
            QStringLiteral("электрическому")};
}
