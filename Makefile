# Two entry points: `make run` and `make test`. Both install what is missing
# (Debian 12 packages), configure with CMake + Ninja, and build.
BUILD    ?= build
JOBS     ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libgl-dev \
            libbenchmark-dev xvfb xauth x11-utils fonts-dejavu-core fonts-liberation2 poppler-utils openbox
SUDO     := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
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

clean:
	rm -rf $(BUILD)
