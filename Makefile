# Two commands: `make run` builds if needed and starts the program; `make test` builds and runs
# every test. Both install the Debian packages they need first. `make dist` writes the setup
# program and the zip into build/dist/.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps dist screenshots clean

deps:
	@tools/deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run.sh $(BUILD)/win/velmora.exe

test: build
	@cd $(BUILD) && ../tools/with-wine.sh ctest --output-on-failure -j $(JOBS) --timeout 300

dist: build
	@ls -l $(BUILD)/dist/velmora-*-setup.exe $(BUILD)/dist/velmora-*.zip

screenshots: build
	@tools/screenshots.sh $(BUILD)/win/velmora.exe docs
	@tools/setup-screenshots.sh $(wildcard $(BUILD)/dist/velmora-*-setup.exe) docs

clean:
	rm -rf $(BUILD)
