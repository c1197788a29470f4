# Quick start: `make demo` and `make test`. Both install the Debian packages the build needs
# when they are missing (with sudo unless run as root), then configure and build with CMake.

BUILD      ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
JOBS       ?= $(shell nproc)
CMAKE_GEN  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
SUDO       := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
DEMO_DIR   := $(CURDIR)/.demo

# Debian 12 packages: compiler and build tools, Qt 6 Widgets, test and benchmark libraries,
# Comedi and Video4Linux2 for the hardware backends, Xvfb for screenshots.
PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev libcomedi-dev libv4l-dev \
            xvfb xauth

.PHONY: all deps build build-release test test-sanitize demo screenshot bench fuzz format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The build type a packager uses: the optimiser at -O3 warns about things the everyday build
# never sees, and every warning is an error. The core and velm-tool are enough to keep it
# building.
build-release: deps
	cmake -S . -B $(RELEASE_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELM_BUILD_GUI=OFF \
	      -DVELM_BUILD_TESTS=OFF -DVELM_BUILD_BENCH=OFF
	cmake --build $(RELEASE_BUILD) -j $(JOBS) --target velmcore velm-tool

# The tests again with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVELM_SANITIZE=ON \
	      -DVELM_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)

# The desktop program on the simulated station, with a scratch settings file and data folder
# under .demo/, so your own ~/.config/velm/velm.ini and data are never touched.
demo: build
	@mkdir -p $(DEMO_DIR)/config/velm $(DEMO_DIR)/data
	@[ -f $(DEMO_DIR)/config/velm/velm.ini ] || sed "s|@DATA@|$(DEMO_DIR)/data|" \
	    packaging/demo-velm.ini > $(DEMO_DIR)/config/velm/velm.ini
	cd $(DEMO_DIR)/data && XDG_CONFIG_HOME=$(DEMO_DIR)/config $(CURDIR)/$(BUILD)/src/velm

# A picture of the program without a display: velm's own start-up under Xvfb on a scratch
# settings file and data folder (.demo/shot/), one new observation document, the whole window
# written to $(SCREENSHOT). SCHEME=dark (or light) picks the colours; by default the desktop's.
SCREENSHOT ?= $(CURDIR)/$(BUILD)/velm-screenshot.png
SCHEME     ?=
SHOT_DIR   := $(DEMO_DIR)/shot
screenshot: build
	@rm -rf $(SHOT_DIR) && mkdir -p $(SHOT_DIR)/config/velm $(SHOT_DIR)/data $(SHOT_DIR)/run
	@chmod 700 $(SHOT_DIR)/run
	@sed "s|@DATA@|$(SHOT_DIR)/data|" packaging/demo-velm.ini > $(SHOT_DIR)/config/velm/velm.ini
	cd $(SHOT_DIR)/data && XDG_CONFIG_HOME=$(SHOT_DIR)/config XDG_RUNTIME_DIR=$(SHOT_DIR)/run \
	    xvfb-run -a -s "-screen 0 1280x800x24" \
	    $(CURDIR)/$(BUILD)/src/velm-screenshot $(if $(SCHEME),--$(SCHEME)) \
	    $(SHOT_DIR)/config/velm/velm.ini $(SCREENSHOT)

bench: build
	$(BUILD)/bench/velm_bench

# libFuzzer targets (clang): make fuzz FUZZ_TARGET=profile FUZZ_SECONDS=60
FUZZ_TARGET  ?= profile
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	      -DVELM_FUZZ=ON -DVELM_BUILD_GUI=OFF -DVELM_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_$(FUZZ_TARGET)
	mkdir -p build-fuzz/corpus-$(FUZZ_TARGET)
	build-fuzz/fuzz/fuzz_$(FUZZ_TARGET) -max_total_time=$(FUZZ_SECONDS) \
	    build-fuzz/corpus-$(FUZZ_TARGET) fuzz/corpus/$(FUZZ_TARGET)

format:
	find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) build-fuzz
