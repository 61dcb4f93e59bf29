# make run  - install what is missing, build and start the editor
# make test - install what is missing, build and run every test
BUILD ?= build
PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-5compat-dev libgl-dev \
            fonts-dejavu-core ccache qt6-translations-l10n

.PHONY: all deps configure build run test clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then sudo=""; \
	  elif command -v sudo >/dev/null 2>&1; then sudo="sudo"; \
	  else echo "Missing Debian packages:$$missing"; \
	       echo "Install them as root: apt-get install$$missing"; exit 1; fi; \
	  echo "Installing:$$missing"; \
	  $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/ndt-protocol

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

clean:
	rm -rf $(BUILD)
