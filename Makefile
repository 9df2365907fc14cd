# Two entry points: `make run` and `make test` (and `make package`,
# `make test-asan`, `make fuzz`). Both install what is missing
# (Debian 12 packages), configure with CMake + Ninja, and build.
BUILD    ?= build
JOBS     ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgl-dev \
            libbenchmark-dev xvfb xauth x11-utils fonts-dejavu-core fonts-liberation2 poppler-utils \
            openbox desktop-file-utils appstream lintian dpkg-dev file
SUDO     := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps install-missing configure build run test bench clean package test-asan fuzz fuzz-deps

all: build

deps:
	@$(MAKE) --no-print-directory install-missing NEED="$(PACKAGES)"

install-missing:
	@missing=""; for p in $(NEED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: starting under xvfb-run (nothing will be visible)."; \
	  xvfb-run -a $(BUILD)/app/quivora $(ARGS); \
	else \
	  $(BUILD)/app/quivora $(ARGS); \
	fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@tests/test-share.sh

bench: build
	bench/run-benchmarks.sh $(BUILD)

# The Debian package, in $(BUILD)/quivora_*.deb.
package: build
	cmake --build $(BUILD) --target package

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_BUILD ?= build-asan
SAN_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:suppressions=$(CURDIR)/fuzz/asan.supp \
           UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
           LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUIVORA_SANITIZE=ON -DQUIVORA_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SAN_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -E debian_package

# libFuzzer runs of every target in fuzz/, FUZZ_SECONDS each, with clang.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_rtf fuzz_treefile fuzz_oldlayout fuzz_nodepath
fuzz-deps: deps
	@$(MAKE) --no-print-directory install-missing NEED="clang libclang-rt-14-dev"

fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUIVORA_FUZZ=ON -DQUIVORA_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@for t in $(FUZZ_TARGETS); do \
	  name=$${t#fuzz_}; work=$(FUZZ_BUILD)/corpus/$$name; mkdir -p $$work $(FUZZ_BUILD)/found/$$name; \
	  regs=; [ -d fuzz/regressions/$$name ] && regs=fuzz/regressions/$$name; \
	  echo "== $$t: $(FUZZ_SECONDS) s"; \
	  $(SAN_ENV) QT_QPA_PLATFORM=offscreen $(FUZZ_BUILD)/fuzz/$$t $$work fuzz/corpus/$$name $$regs \
	    -dict=fuzz/quivora.dict -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=4096 \
	    -artifact_prefix=$(FUZZ_BUILD)/found/$$name/ -print_final_stats=1 || exit 1; \
	done

clean:
	rm -rf $(BUILD)
