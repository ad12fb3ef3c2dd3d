# The two commands of the README:
#   make demo   installs what the demo needs, builds the library and the sheenwork tool,
#               writes the gallery of every look, scheme, state and drop-down side with
#               `sheenwork gallery` (demo-out/gallery, and docs/gallery.png from it) and
#               prints the path of its page
#   make test   installs what is missing, builds everything, and runs every test: the
#               Release build, the sanitizer build (ASan + UBSan), the comparison against
#               real GDI and the real tooltip under Wine (on an Xvfb display), and the
#               window host on Xvfb displays of its own, driven with xdotool, and the
#               Windows build (make windows) under Wine: the COM server, a script, a
#               client and the container's windows
# Further targets: make bench (benchmarks, ours and real GDI under Wine), make fuzz (the long
# picture-loader sweep under the sanitizers), make formfile-fuzz (the form file reader under
# libFuzzer, part of make test), make roundtrip (millions of random form round trips), make stress (a million random scripts
# against the form runtime under the sanitizers), make format.
# Every build runs JOBS compile jobs at once (JOBS=2 make demo); all cores unless set.

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN_BUILD  ?= build-win
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)

# Debian packages: what the library and the tool need to build and the demo's pictures
# their fonts (Tahoma and Marlett come with fonts-wine) ...
DEMO_PACKAGES = cmake ninja-build g++ pkg-config libpng-dev libfreetype-dev libfontconfig-dev \
                libjpeg62-turbo-dev libgif-dev libsdl2-dev fonts-dejavu-core fonts-wine
# ... and what the tests, the comparison with real GDI and the benchmarks need besides.
TEST_PACKAGES = libgtest-dev libgmock-dev libbenchmark-dev wine wine64 g++-mingw-w64-x86-64-posix \
                clang-format chromium xvfb clang libclang-rt-dev xdotool x11-apps x11-utils \
                mingw-w64-tools libz-mingw-w64-dev
PACKAGES = $(DEMO_PACKAGES) $(TEST_PACKAGES)

.PHONY: all deps demo-deps build asan reference windows test demo bench fuzz formfile-fuzz roundtrip \
        stress format clean

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
# user or packager builds first.
build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHEENWORK_WERROR=ON \
	  -DSHEENWORK_TESTS=ON -DSHEENWORK_BENCH=ON -DSHEENWORK_WINDOWS_BUILD=$(abspath $(WIN_BUILD)) >/dev/null
	@ninja -C $(BUILD) -j $(JOBS)

asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSHEENWORK_SANITIZE=ON \
	  -DSHEENWORK_WERROR=ON -DSHEENWORK_TESTS=ON >/dev/null
	@ninja -C $(ASAN_BUILD) -j $(JOBS)

# The Windows build, cross-compiled with mingw-w64: sheenwork.dll (the COM server with its
# type library), sheenwork.exe, and the package $(WIN_BUILD)/sheenwork-<version>-win64.zip.
windows: deps
	@cmake -S . -B $(WIN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHEENWORK_WERROR=ON \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
	@ninja -C $(WIN_BUILD) -j $(JOBS)
	@cd $(WIN_BUILD) && cpack -G ZIP >/dev/null && echo "$(WIN_BUILD)/$$(ls sheenwork-*-win64.zip)"

# Runs every scene on real GDI under Wine; the tests compare our raster with the result.
reference: deps
	@tests/reference/run.sh $(BUILD)
	@mkdir -p $(ASAN_BUILD)/reference && cp $(BUILD)/reference/*.bin $(BUILD)/reference/*.txt $(ASAN_BUILD)/reference/

test: build asan reference windows formfile-fuzz
	@echo "== tests =="
	@# The Windows tests' base Wine prefix is made anew by the first of them in each run.
	@rm -rf $(BUILD)/wine
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@echo "== tests under ASan + UBSan =="
	@# One process for the whole suite: starting 1500 sanitized processes costs minutes.
	@# The random form round trips run a tenth of the normal build's 100 000 here: the
	@# same code paths, at some twenty-five times the cost each (make roundtrip runs millions).
	@cd $(ASAN_BUILD) && SHEENWORK_REFERENCE_DIR=$$PWD/reference SHEENWORK_ROUNDTRIP_SETS=10000 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ./sheenwork_tests --gtest_brief=1

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
# the limit in one table, then one default button rendered to PNG as a whole process,
# BENCH_RUNS times (the median and the range of the wall times).
BENCH_REPETITIONS ?= 5
BENCH_RUNS ?= 21
bench: build reference
	@mkdir -p $(BUILD)/bench
	@tests/reference/run.sh $(BUILD) --bench > $(BUILD)/bench/wine.txt
	@$(BUILD)/sheenwork_bench --benchmark_min_time=0.2 --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_report_aggregates_only=true --benchmark_out=$(BUILD)/bench/ours.txt \
	  --benchmark_out_format=console
	@echo "== ours / real GDI under Wine / the limit =="
	@bench/report.sh $(BUILD)/bench/wine.txt $(BUILD)/bench/ours.txt
	@echo "== one default button to PNG, whole process, $(BENCH_RUNS) runs =="
	@for i in $$(seq $(BENCH_RUNS)); do \
	  start=$$(date +%s%N); $(BUILD)/sheenwork render bench/one-button.sfm -o $(BUILD)/bench/button.png >/dev/null || exit 1; \
	  echo $$(( ($$(date +%s%N) - start) / 1000 )); done | sort -n | \
	  awk '{ t[NR] = $$1 } END { printf "wall: median %.2f ms (min %.2f, max %.2f)\n", \
	    t[int((NR + 1) / 2)] / 1000, t[1] / 1000, t[NR] / 1000 }'
	@xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" env SDL_VIDEODRIVER=x11 \
	  $(BUILD)/sheenwork_desktop_bench

# The long picture-loader sweep under ASan + UBSan: random damage to every test
# picture, FUZZ_ROUNDS cases (each seed is reported on failure).
FUZZ_ROUNDS ?= 200000
fuzz: asan
	@cd $(ASAN_BUILD) && SHEENWORK_PICTURE_FUZZ=$(FUZZ_ROUNDS) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ./sheenwork_tests --gtest_filter='PictureFuzz.*'

# The form file reader under libFuzzer with ASan + UBSan, FORMFILE_FUZZ_SECONDS long (make
# test runs it), starting from tests/data/formfile/corpus. A crash leaves its input in
# $(FUZZ_BUILD) as crash-*; keep it in the corpus folder, where the tests read it too.
# Without clang this fails rather than skip: the fuzzer is part of the test.
FORMFILE_FUZZ_SECONDS ?= 60
formfile-fuzz: deps
	@command -v clang++ >/dev/null || { echo "clang++ is missing: the form file fuzzer needs Debian's clang" >&2; exit 1; }
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHEENWORK_FUZZ=ON \
	  -DSHEENWORK_BENCH=OFF >/dev/null
	@ninja -C $(FUZZ_BUILD) -j $(JOBS) form_file_fuzz
	@echo "== form file fuzzer, $(FORMFILE_FUZZ_SECONDS) s =="
	@mkdir -p $(FUZZ_BUILD)/corpus
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(FUZZ_BUILD)/form_file_fuzz -max_total_time=$(FORMFILE_FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus tests/data/formfile/corpus \
	  2>$(FUZZ_BUILD)/fuzz.log || { tail -50 $(FUZZ_BUILD)/fuzz.log; exit 1; }
	@grep -E "^stat::number_of_executed_units|^Done" $(FUZZ_BUILD)/fuzz.log || true

# More random property sets through save, load and save than make test's 100 000.
ROUNDTRIP_SETS ?= 2000000
roundtrip: build
	@SHEENWORK_ROUNDTRIP_SETS=$(ROUNDTRIP_SETS) $(BUILD)/sheenwork_tests --gtest_filter='FormFileRoundTrip.*'

# The long run of random scripts against the form runtime under ASan + UBSan (make test
# runs 10 000); each failure names its seed and the script.
STRESS_SCRIPTS ?= 1000000
stress: asan
	@cd $(ASAN_BUILD) && SHEENWORK_RANDOM_SCRIPTS=$(STRESS_SCRIPTS) ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ./sheenwork_tests --gtest_filter='RandomScripts.*'

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) demo-out
