# make run    installs what is missing, builds the Release editor and starts it
# make check  installs what is missing, builds with sanitizers and runs every test
# make bench  builds the Release benchmarks and runs them
JOBS ?= $(shell nproc)
RELEASE := build/release
CHECK := build/check

.PHONY: run check bench deps release clean

deps:
	@scripts/install-deps.sh

$(RELEASE)/build.ninja: | deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release

$(CHECK)/build.ninja: | deps
	cmake -S . -B $(CHECK) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNYO_SANITIZE=ON

release: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target NYO -j $(JOBS)

run: release
	$(RELEASE)/NYO

check: deps $(CHECK)/build.ninja
	cmake --build $(CHECK) -j $(JOBS)
	cd $(CHECK) && ctest --output-on-failure -j $(JOBS)

bench: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target NYO benches -j $(JOBS)
	scripts/run-benches.sh $(RELEASE)

clean:
	rm -rf build
