# Two commands: `make run` builds if needed and starts the program; `make test` builds and runs
# every test. Both install the Debian packages they need first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps screenshots clean

deps:
	@tools/deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run.sh $(BUILD)/win/velmora.exe

test: build
	@cd $(BUILD) && ../tools/with-wine.sh ctest --output-on-failure -j $(JOBS) --timeout 300

screenshots: build
	@tools/screenshots.sh $(BUILD)/win/velmora.exe docs

clean:
	rm -rf $(BUILD)
