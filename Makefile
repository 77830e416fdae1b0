# Set-up, build, test and demo in one place. `make demo` and `make test` work on a
# fresh Debian machine: they install what is missing first.

SHELL          := /bin/bash
BUILD          ?= build
SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD     ?= build-tsan
WINDOWS_BUILD  ?= build-windows
DEMO_DIR       := $(BUILD)/demo
GENERATOR      ?= Ninja
FUZZ_SECONDS   ?= 600
TEST_FUZZ_SECONDS ?= 10
CMAKE_ARGS     := -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
ifdef CI
CMAKE_ARGS += -DTARNWICK_WERROR=ON
endif
# The sanitizer builds use clang: its libFuzzer runs the fuzz targets.
CLANG_ARGS     := -DCMAKE_CXX_COMPILER=clang++ -DTARNWICK_GUI=OFF
FUZZERS        := config metabase config_utf16 config_utf32 line_scanner
# The tests that start threads, run once more under ThreadSanitizer.
THREADED_TESTS := job_test.*:verify_test.*:Rules/RuleTest.*:VerifyTest.*:detail_test.random_logs*:detail_test.a_part_taken*:detail_test.a_part_learns*:MainPresenterTest.*:DetailView.*:RunningJob.*:Clocks/TodayByTheLogsClock.*:report_test.end_to_end*

.PHONY: all deps build test linux-test html-test unit-sanitize unit-tsan fuzz windows windows-test demo \
        demo-data bench screenshot format clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -- --quiet

# Every test: the Linux suite, the HTML report in headless Chromium, the unit tests under
# AddressSanitizer and UBSan, the threaded ones under ThreadSanitizer, each fuzz target
# for TEST_FUZZ_SECONDS, and the Windows leg under wine.
test: linux-test html-test unit-sanitize unit-tsan windows-test

linux-test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

html-test: build
	@scripts/install-deps.sh test
	@echo "The HTML report in headless Chromium:"
	@scripts/html-test.sh $(BUILD)

unit-sanitize:
	@scripts/install-deps.sh test
	@cmake -S . -B $(SANITIZE_BUILD) $(CMAKE_ARGS) $(CLANG_ARGS) -DTARNWICK_SANITIZE=address \
	  -DTARNWICK_FUZZ=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) --target unit_tests $(addprefix fuzz_,$(FUZZERS)) -- --quiet
	@echo "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
	@$(SANITIZE_BUILD)/tests/unit_tests --gtest_brief=1
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)

# Runs each fuzz target for FUZZ_SECONDS (10 minutes unless given) from the committed
# seeds; the inputs it finds are kept in $(SANITIZE_BUILD)/fuzz-corpus, and a failing
# one beside its log, to become a test.
fuzz:
	@test -x $(SANITIZE_BUILD)/tests/fuzz_config || $(MAKE) --no-print-directory unit-sanitize FUZZ_SECONDS=0
	@for target in $(FUZZERS); do \
	  [ "$(FUZZ_SECONDS)" -gt 0 ] || continue; \
	  corpus=$(SANITIZE_BUILD)/fuzz-corpus/$$target; log=$(SANITIZE_BUILD)/fuzz-$$target.log; \
	  mkdir -p $$corpus; \
	  if $(SANITIZE_BUILD)/tests/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	       -print_final_stats=1 -artifact_prefix=$(SANITIZE_BUILD)/fuzz-$$target- \
	       $$corpus tests/fuzz/corpus/$$target >$$log 2>&1; then \
	    echo "Fuzzed $$target for $(FUZZ_SECONDS) s:" \
	      "$$(grep -o 'number_of_executed_units: [0-9]*' $$log | grep -o '[0-9]*') inputs, no failure"; \
	  else \
	    tail -40 $$log; echo "Fuzz target $$target failed: the input is kept beside $$log"; exit 1; \
	  fi; \
	done

unit-tsan:
	@scripts/install-deps.sh test
	@cmake -S . -B $(TSAN_BUILD) $(CMAKE_ARGS) $(CLANG_ARGS) -DTARNWICK_SANITIZE=thread >/dev/null
	@cmake --build $(TSAN_BUILD) --target unit_tests -- --quiet
	@echo "Threaded unit tests under ThreadSanitizer:"
	@TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/unit_tests --gtest_brief=1 \
	  --gtest_filter='$(THREADED_TESTS)'

# The Windows programs, cross-built with mingw-w64: one self-contained .exe each, in
# $(WINDOWS_BUILD)/dist.
windows:
	@scripts/install-deps.sh windows
	@cmake -S . -B $(WINDOWS_BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(if $(CI),-DTARNWICK_WERROR=ON) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -- --quiet
	@mkdir -p $(WINDOWS_BUILD)/dist
	@cp $(WINDOWS_BUILD)/src/tarnwick.exe $(WINDOWS_BUILD)/src/tarnwick-report.exe $(WINDOWS_BUILD)/dist/
	@echo "Windows programs in $(WINDOWS_BUILD)/dist:" $$(cd $(WINDOWS_BUILD)/dist && ls)

# The Windows leg: unit tests, the report and the window under wine, on a wine prefix
# laid out as an IIS server, with the ANSI code pages of C.UTF-8 and zh_CN.UTF-8.
windows-test: windows
	@scripts/windows-test.sh $(WINDOWS_BUILD)

demo-data: build
	@$(BUILD)/tools/tarnwick-demo-server $(DEMO_DIR)

# Opens the window on the bundled demo server; without a display, shows its sites instead.
demo: demo-data
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display here, so the window cannot open. The demo server's sites:"; \
	  $(BUILD)/src/tarnwick-report --root $(DEMO_DIR) --list-sites; \
	  echo "Run 'make demo' on a desktop to open the window, or try:"; \
	  echo "  $(BUILD)/src/tarnwick-report --root $(DEMO_DIR) --site 1 --last 7"; \
	else \
	  $(BUILD)/src/tarnwick --root $(DEMO_DIR); \
	fi

# The README's picture of the window, drawn offscreen on the demo server.
screenshot: demo-data
	@QT_QPA_PLATFORM=offscreen $(BUILD)/src/tarnwick-screenshot --root $(DEMO_DIR) --site-index 1 \
	  docs/window.png docs/chart.png
	@scripts/install-deps.sh test
	@$(BUILD)/src/tarnwick-report --root $(DEMO_DIR) --site 2 --last 7 --detail --top 5 \
	  --format html --output $(BUILD)/report.html
	@chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=900,1500 \
	  --screenshot=docs/report.png file://$(abspath $(BUILD))/report.html 2>/dev/null

bench: build
	@scripts/install-deps.sh bench
	@cmake --build $(BUILD) --target tarnwick-bench -- --quiet
	@$(BUILD)/bench/tarnwick-bench $(BUILD)/bench-data docs/crawlers.txt

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(WINDOWS_BUILD)
