# make run   installs what is missing, builds, starts the program
# make test  installs what is missing, builds, runs every test, then again under ASan+UBSan
# make try-window  builds, then drives the real window under Xvfb (tools/trywindow.sh)
# make package  builds, then the Debian package kestrova_<version>_amd64.deb in the build folder
PACKAGES := build-essential cmake pkg-config qt6-base-dev libavcodec-dev libavutil-dev \
            libavformat-dev ffmpeg flac python3
PACKAGES += libudfread-dev genisoimage
PACKAGES += dpkg-dev file desktop-file-utils appstream man-db
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
# Warnings are errors in the builds `make test` makes; a plain build only shows them.
WERROR ?= OFF
test: WERROR = ON

.PHONY: run test deps build build-asan check check-asan clean package try-window

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON \
	  -DKESTROVA_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

check: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

check-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

test: check check-asan

run: build
	@bash tools/run.sh $(BUILD)

try-window:
	$(MAKE) build PACKAGES="$(PACKAGES) xvfb xdotool imagemagick"
	bash tools/trywindow.sh $(BUILD) /tmp/kestrova-try

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
