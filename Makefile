# Set-up, build, test and demo in one place. `make demo` and `make test` work on a
# fresh Debian machine: they install what is missing first.

BUILD      ?= build
ASAN_BUILD ?= build-asan
DEMO_DIR   := $(BUILD)/demo
GENERATOR  ?= Ninja
CMAKE_ARGS := -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
ifdef CI
CMAKE_ARGS += -DTARNWICK_WERROR=ON
endif

.PHONY: all deps build test unit-asan demo demo-data bench screenshot format clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -- --quiet

# Every test, then the unit tests once more under AddressSanitizer and UBSan.
test: build unit-asan
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

unit-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_ARGS) -DTARNWICK_SANITIZE=ON -DTARNWICK_GUI=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) --target unit_tests -- --quiet
	@echo "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
	@$(ASAN_BUILD)/tests/unit_tests --gtest_brief=1

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
	@QT_QPA_PLATFORM=offscreen $(BUILD)/src/tarnwick-screenshot --root $(DEMO_DIR) docs/window.png

bench: build
	@scripts/install-deps.sh bench
	@cmake --build $(BUILD) --target tarnwick-bench -- --quiet
	@$(BUILD)/bench/tarnwick-bench $(BUILD)/bench-data docs/crawlers.txt

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
