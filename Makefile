# make run  - install what is missing, build and start the editor
# make test - install what is missing, build and run every test
BUILD ?= build
PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-5compat-dev libgl-dev poppler-utils dpkg-dev \
            fonts-dejavu-core ccache qt6-translations-l10n \
            libqt6sql6-sqlite libqt6sql6-psql libpq-dev postgresql hunspell-ru libhunspell-dev pkg-config \
            unzip

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := document technicians tools optional workdir

.PHONY: all deps configure build run test bench package fuzz clean

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

# two at a time, under a HOME of their own that must stay empty: the tests
# keep their settings and data in the build directory
test: build
	@home=$$(mktemp -d); \
	(cd $(BUILD) && HOME=$$home QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure); rc=$$?; \
	left=$$(cd $$home && find . -mindepth 1 | head -n 5); rm -rf $$home; \
	if [ -n "$$left" ]; then echo "The tests wrote into HOME: $$left"; exit 1; fi; exit $$rc

# a Debian package: build/ndt-protocol_<version>_<arch>.deb
package: build
	cd $(BUILD) && cpack -G DEB

# the benchmark of speed and memory on a large protocol
bench: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/ndt-bench

# every reader fuzzed for FUZZ_SECONDS each, with clang, libFuzzer and the
# address and undefined-behaviour sanitizers; new inputs join the corpus. The
# sanitizer keeps freed memory aside (256 MB by default), which is not the
# readers' own: 8 MB of it shows what they take; no reader may take 64 MB at once.
fuzz: deps
	@command -v clang++ >/dev/null 2>&1 && dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || { \
	  if [ "$$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi; \
	  $$sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
	    $$sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev; }
	@[ -f $(FUZZ_BUILD)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNDT_FUZZ=ON
	cmake --build $(FUZZ_BUILD)
	@set -e; rm -f $(FUZZ_BUILD)/rates; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fuzz/lsan.supp \
	    ASAN_OPTIONS=quarantine_size_mb=8 \
	    ./$(FUZZ_BUILD)/tests/fuzz/fuzz_$$t \
	    -max_total_time=$(FUZZ_SECONDS) -timeout=2 -rss_limit_mb=1024 -malloc_limit_mb=64 -max_len=65536 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/fuzz_$$t- \
	    $(FUZZ_BUILD)/corpus/$$t tests/fuzz/corpus/$$t > $(FUZZ_BUILD)/fuzz_$$t.log 2>&1 || rc=$$?; \
	  tail -n 25 $(FUZZ_BUILD)/fuzz_$$t.log; \
	  rate=$$(sed -n 's/^stat::average_exec_per_sec: *//p' $(FUZZ_BUILD)/fuzz_$$t.log); \
	  peak=$$(sed -n 's/^stat::peak_rss_mb: *//p' $(FUZZ_BUILD)/fuzz_$$t.log); \
	  echo "fuzz_$$t: $${rate:-?} inputs/s, peak $${peak:-?} MB" | tee -a $(FUZZ_BUILD)/rates; \
	  [ -z "$$rc" ] || exit $$rc; \
	done; echo "== inputs a second"; cat $(FUZZ_BUILD)/rates; rm -f $(FUZZ_BUILD)/rates

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
