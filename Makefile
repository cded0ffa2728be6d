# make run   installs what is missing, builds, starts the program
# make test  checks that only the window draws, installs what is missing, builds, runs every test, then
#            again under ASan+UBSan
# make try-window  builds, then drives the real window under Xvfb (tools/trywindow.sh)
# make screenshots  builds, then takes the README's pictures of the window into docs/
# make package  builds, then the Debian package kestrova_<version>_amd64.deb in the build folder
# make fuzz  builds the fuzz targets with clang and runs each FUZZ_SECONDS (not part of test)
# make bench    builds and runs the benchmarks; each prints our time, the reference's, the ratio
PACKAGES := build-essential cmake pkg-config qt6-base-dev libavcodec-dev libavutil-dev \
            libavformat-dev ffmpeg flac python3
PACKAGES += libudfread-dev genisoimage libflac-dev sox zlib1g-dev libebur128-dev
PACKAGES += dpkg-dev file desktop-file-utils appstream man-db zsh fish
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
# The suites whose extractions run several workers and helper threads at once, and those of
# the loudness meters' thread and of the files held for the command until they are tagged.
TSAN_SUITES := extraction|flacoutput|commandwait|commandrunner|commandqueue|bufferedoutput|cliextract|cliprogress|clirun|loudness|climetadata|clicheckrip|wholetitle
# Warnings are errors in the builds `make test` makes; a plain build only shows them.
WERROR ?= OFF
test: WERROR = ON
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
FUZZ_TARGETS := openzone streaminfo pcmdumper mlpdumper filesamples

.PHONY: run test deps build build-asan build-tsan check check-asan tsan fuzz clean package try-window screenshots bench layers

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

build-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_TSAN=ON \
	  -DKESTROVA_WERROR=$(WERROR)
	cmake --build $(TSAN_BUILD) -j $(JOBS)

# ThreadSanitizer over the extraction suites (several workers, FLAC helpers, the job
# runner); Qt and FFmpeg are not instrumented, tests/tsan.supp names what they do alone.
tsan: build-tsan
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$(CURDIR)/tests/tsan.supp \
	  ctest --output-on-failure -j $(JOBS) -R '^($(TSAN_SUITES))$$'

# Widgets and QtGui only in the window (tools/check-layers.sh); the build refuses upward includes.
layers:
	bash tools/check-layers.sh

test: layers check check-asan

# Corpora grow in $(FUZZ_BUILD)/corpus; an input that crashes, hangs or takes too much
# memory is written straight into tests/data/fuzz/TARGET/, which the normal tests replay.
fuzz: deps
	@dpkg -s clang >/dev/null 2>&1 || (apt-get update && DEBIAN_FRONTEND=noninteractive \
	  apt-get install -y --no-install-recommends clang)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target kestrova-fuzz-seeds $(addprefix fuzz_,$(FUZZ_TARGETS))
	$(FUZZ_BUILD)/fuzz/kestrova-fuzz-seeds $(FUZZ_BUILD)/seeds
	@status=0; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t tests/data/fuzz/$$t; \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -dict=fuzz/dvda.dict -artifact_prefix=tests/data/fuzz/$$t/ \
	    $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/seeds/$$t tests/data/fuzz/$$t || status=1; \
	done; exit $$status

run: build
	@bash tools/run.sh $(BUILD)

screenshots: build
	bash tools/screenshots.sh $(BUILD) docs

try-window:
	$(MAKE) build PACKAGES="$(PACKAGES) xvfb xdotool imagemagick"
	bash tools/trywindow.sh $(BUILD) /tmp/kestrova-try

BENCHES := bench_openzone bench_pcmunpack bench_pcmconvert bench_extraction bench_zoneimage bench_flac \
           bench_title
bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_WERROR=$(WERROR)
	cmake --build $(BUILD) -j $(JOBS) --target $(BENCHES) -- --no-print-directory
	@uptime
	@for b in $(BENCHES); do $(BUILD)/bench/$$b || exit 1; done

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
