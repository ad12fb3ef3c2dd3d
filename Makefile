# The two commands of the README:
#   make demo   installs what the demo needs, builds the library and the sheenwork tool,
#               writes the gallery of every look, scheme, state and drop-down side with
#               `sheenwork gallery` (demo-out/gallery, and docs/gallery.png from it) and
#               prints the path of its page
#   make test   installs what is missing, builds everything, and runs every test: the
#               Release build, the sanitizer build (ASan + UBSan), the comparison against
#               real GDI and the real tooltip under Wine (on an Xvfb display), the window
#               host on Xvfb displays of its own, driven with xdotool, the Qt widget (Qt's
#               offscreen platform, and Qt Designer on Xvfb), and the Windows build (make
#               windows) under Wine: the COM server, a script, a client and the container's
#               windows
# Further targets: make bench (benchmarks, ours and real GDI under Wine), make fuzz (the
# three libFuzzer targets, FUZZ_SECONDS each), make fuzz-smoke (a short run of each), make
# picture-sweep (the picture fuzzer alone, longer), make roundtrip
# (millions of random form round trips), make stress (a million random scripts against the
# form runtime under the sanitizers), make format.
# Every build runs JOBS compile jobs at once (JOBS=2 make demo); all cores unless set.

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-win
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
# The sanitizers' settings for every run under ASan + UBSan; the suppressions name what
# the leak checker cannot see through (tests/lsan.supp says why).
SANITIZE_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
               LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

# Debian packages: what the library and the tool need to build and the demo's pictures
# their fonts (Tahoma and Marlett come with fonts-wine) ...
DEMO_PACKAGES = cmake ninja-build g++ pkg-config libpng-dev libfreetype-dev libfontconfig-dev \
                libjpeg62-turbo-dev libgif-dev libsdl2-dev libx11-dev libexpat1-dev fonts-dejavu-core \
                fonts-wine
# ... and what the tests, the comparison with real GDI and the benchmarks need besides (Qt 6
# also for the benchmark that paints Qt's own push button beside ours).
TEST_PACKAGES = libgtest-dev libgmock-dev libbenchmark-dev wine wine64 g++-mingw-w64-x86-64-posix \
                clang-format chromium xvfb xdotool x11-utils time \
                mingw-w64-tools libz-mingw-w64-dev $(QT_PACKAGES)
# The Qt widget, its Designer plugin and their tests: Qt 6's widgets and tools (moc, uic),
# Designer's plugin interface and QUiLoader, the platform plugins (offscreen for the tests,
# xcb on Xvfb) and Designer itself, which a test runs.
QT_PACKAGES = qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-tools-dev qt6-tools-dev-tools \
              qt6-qpa-plugins designer-qt6
PACKAGES = $(DEMO_PACKAGES) $(TEST_PACKAGES)
# The libFuzzer targets are built with Debian's clang (make fuzz only).
FUZZ_PACKAGES = clang libclang-rt-dev

.PHONY: all deps demo-deps build asan reference windows test demo bench fuzz fuzz-build fuzz-smoke \
        picture-sweep roundtrip stress format clean

all: build

# Installs only what is missing of a package list, quietly when everything is there.
define install_missing
	@missing=$$(for p in $(1); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null \
	    | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$(echo $$missing)"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

demo-deps:
	$(call install_missing,$(DEMO_PACKAGES))

# Our own builds treat warnings as errors; the main build is the Release configuration a
# user or packager builds first. The Qt widget is built where Qt 6 is installed (AUTO);
# make test asks for it (ON), so that a missing Qt fails the tests rather than skip them.
QT ?= AUTO
test: QT = ON
build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHEENWORK_WERROR=ON \
	  -DSHEENWORK_TESTS=ON -DSHEENWORK_BENCH=ON -DSHEENWORK_QT=$(QT) \
	  -DSHEENWORK_WINDOWS_BUILD=$(abspath $(WIN_BUILD)) >/dev/null
	@ninja -C $(BUILD) -j $(JOBS)

asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSHEENWORK_SANITIZE=ON \
	  -DSHEENWORK_WERROR=ON -DSHEENWORK_TESTS=ON -DSHEENWORK_QT=OFF >/dev/null
	@ninja -C $(ASAN_BUILD) -j $(JOBS)

# The Windows build, cross-compiled with mingw-w64: sheenwork.dll (the COM server with its
# type library), sheenwork.exe, and the package $(WIN_BUILD)/sheenwork-<version>-win64.zip.
windows: deps
	@cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHEENWORK_WERROR=ON \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DSHEENWORK_QT=OFF >/dev/null
	@ninja -C $(WIN_BUILD) -j $(JOBS)
	@cd $(WIN_BUILD) && cpack -G ZIP >/dev/null && echo "$(WIN_BUILD)/$$(ls sheenwork-*-win64.zip)"

# Runs every scene on real GDI under Wine; the tests compare our raster with the result.
reference: deps
	@tests/reference/run.sh $(BUILD)
	@mkdir -p $(ASAN_BUILD)/reference && cp $(BUILD)/reference/*.bin $(BUILD)/reference/*.txt $(ASAN_BUILD)/reference/

test: build asan reference windows
	@echo "== tests =="
	@# The Windows tests' base Wine prefix is made anew by the first of them in each run.
	@rm -rf $(BUILD)/wine
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@echo "== tests under ASan + UBSan =="
	@# One process for the whole suite: starting 1500 sanitized processes costs minutes.
	@# The random form round trips run a tenth of the normal build's 100 000 here: the
	@# same code paths, at some twenty-five times the cost each (make roundtrip runs millions).
	@cd $(ASAN_BUILD) && SHEENWORK_REFERENCE_DIR=$$PWD/reference SHEENWORK_ROUNDTRIP_SETS=10000 \
	  $(SANITIZE_ENV) ./sheenwork_tests --gtest_brief=1
	@# The fuzz targets' entry points on their seeds, under the sanitizers.
	@$(SANITIZE_ENV) $(ASAN_BUILD)/form_file_fuzz $(FUZZ_SEEDS_formfile)
	@$(SANITIZE_ENV) $(ASAN_BUILD)/picture_fuzz $(FUZZ_SEEDS_pictures)
	@$(SANITIZE_ENV) $(ASAN_BUILD)/script_fuzz $(FUZZ_SEEDS_scripts)

# The library and the tool alone (the tests and benchmarks are built by make test); the
# gallery's overview picture becomes the README's.
demo: demo-deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@ninja -C $(BUILD) -j $(JOBS) sheenwork_cli
	@mkdir -p demo-out
	@$(BUILD)/sheenwork gallery -o demo-out/gallery >/dev/null
	@cp demo-out/gallery/gallery.png docs/gallery.png
	@echo "docs/gallery.png: every button of the gallery in one picture"
	@echo "The demo form in a window: $(BUILD)/sheenwork run --demo"
	@echo "The gallery page: $$(cd demo-out/gallery && pwd)/index.html"

# Ours (medians of BENCH_REPETITIONS), real GDI under Wine (medians of three batches) and
# the limit in one table; ours beside Qt 6's QPushButton in its Fusion and Windows styles
# (interleaved in one process, PEER_SECONDS per button); then one default button rendered
# to PNG as a whole process, BENCH_RUNS times, in turn with the tool's --version (the
# floor: starting the program at all), their medians and ranges and the render over the
# floor.
BENCH_REPETITIONS ?= 5
BENCH_RUNS ?= 21
PEER_SECONDS ?= 0.5
bench: build reference
	@mkdir -p $(BUILD)/bench
	@tests/reference/run.sh $(BUILD) --bench > $(BUILD)/bench/wine.txt
	@$(BUILD)/sheenwork_bench --benchmark_min_time=0.2 --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_report_aggregates_only=true --benchmark_out=$(BUILD)/bench/ours.txt \
	  --benchmark_out_format=console
	@echo "== ours / real GDI under Wine / the limit =="
	@bench/report.sh $(BUILD)/bench/wine.txt $(BUILD)/bench/ours.txt
	@$(BUILD)/sheenwork_qt_bench --benchmark_min_time=$(PEER_SECONDS) --benchmark_out=$(BUILD)/bench/peer.csv \
	  --benchmark_out_format=csv >/dev/null 2>$(BUILD)/bench/peer.log || { cat $(BUILD)/bench/peer.log; exit 1; }
	@echo "== ours / Qt 6's QPushButton, Fusion (its pixmap cache warm) and Windows styles =="
	@bench/peer_report.sh $(BUILD)/bench/peer.csv
	@echo "== one default button to PNG, whole process, $(BENCH_RUNS) runs, beside the tool's own start =="
	@bench/process.sh $(BUILD) $(BENCH_RUNS)
	@xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" env SDL_VIDEODRIVER=x11 \
	  $(BUILD)/sheenwork_desktop_bench

# The long picture-loader sweep: the picture fuzzer alone, SWEEP_SECONDS long, from every
# test picture under ASan + UBSan; its mutations of the pictures are guided by what they
# reach in the loaders, and a failing input is left in $(FUZZ_BUILD) as crash-*.
SWEEP_SECONDS ?= 600
picture-sweep: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD) picture_fuzz $(SWEEP_SECONDS) $(FUZZ_SEEDS_pictures)

# The libFuzzer targets under ASan + UBSan, in a build of their own with Debian's clang:
# the form file reader (from tests/data/formfile/corpus), the picture loaders (from the
# test pictures) and the script reader with the replay of what it reads (from
# fuzz/seeds/scripts). make fuzz runs each FUZZ_SECONDS long, one after another, and
# prints how many inputs each ran; make fuzz-smoke runs the form file reader
# FORMFILE_FUZZ_SECONDS and the other two FUZZ_SMOKE_SECONDS each. A crash leaves its
# input in $(FUZZ_BUILD) as crash-*: keep it in the target's seed folder, which make test
# replays through the same entry points without libFuzzer, in both of its builds (the form
# file reader's is also read by the tests). Without clang this fails rather than skip.
FUZZ_SECONDS ?= 600
FORMFILE_FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 15
FUZZ_SEEDS_formfile = tests/data/formfile/corpus
FUZZ_SEEDS_pictures = tests/data/pictures tests/data/formfile
FUZZ_SEEDS_scripts = fuzz/seeds/scripts tests/data/cli
fuzz-build: deps
	$(call install_missing,$(FUZZ_PACKAGES))
	@command -v clang++ >/dev/null || { echo "clang++ is missing: the fuzzers need Debian's clang" >&2; exit 1; }
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHEENWORK_FUZZ=ON \
	  -DSHEENWORK_BENCH=OFF -DSHEENWORK_QT=OFF >/dev/null
	@ninja -C $(FUZZ_BUILD) -j $(JOBS) form_file_fuzz picture_fuzz script_fuzz

fuzz: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD) form_file_fuzz $(FUZZ_SECONDS) $(FUZZ_SEEDS_formfile)
	@fuzz/run.sh $(FUZZ_BUILD) picture_fuzz $(FUZZ_SECONDS) $(FUZZ_SEEDS_pictures)
	@fuzz/run.sh $(FUZZ_BUILD) script_fuzz $(FUZZ_SECONDS) $(FUZZ_SEEDS_scripts)

fuzz-smoke: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD) form_file_fuzz $(FORMFILE_FUZZ_SECONDS) $(FUZZ_SEEDS_formfile)
	@fuzz/run.sh $(FUZZ_BUILD) picture_fuzz $(FUZZ_SMOKE_SECONDS) $(FUZZ_SEEDS_pictures)
	@fuzz/run.sh $(FUZZ_BUILD) script_fuzz $(FUZZ_SMOKE_SECONDS) $(FUZZ_SEEDS_scripts)

# More random property sets through save, load and save than make test's 100 000.
ROUNDTRIP_SETS ?= 2000000
roundtrip: build
	@SHEENWORK_ROUNDTRIP_SETS=$(ROUNDTRIP_SETS) $(BUILD)/sheenwork_tests --gtest_filter='FormFileRoundTrip.*'

# The long run of random scripts against the form runtime under ASan + UBSan (make test
# runs 10 000); each failure names its seed and the script.
STRESS_SCRIPTS ?= 1000000
stress: asan
	@cd $(ASAN_BUILD) && SHEENWORK_RANDOM_SCRIPTS=$(STRESS_SCRIPTS) $(SANITIZE_ENV) \
	  ./sheenwork_tests --gtest_filter='RandomScripts.*'

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) demo-out
