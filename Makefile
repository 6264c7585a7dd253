# Two entry points: `make run` and `make test`. Both install what is missing, configure and build.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test setup build clean

setup:
	@sh scripts/setup.sh

build: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

run: build
	$(BUILD)/bin/parvex

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD)
