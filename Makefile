# make run    installs what is missing, builds the Release editor and starts it
# make check  installs what is missing, builds with sanitizers and runs every test
# make bench  builds the Release benchmarks and runs them
# make fuzz   installs Clang, builds the libFuzzer targets and runs each FUZZ_SECONDS (60)
# make install    installs the Release editor under PREFIX (/usr/local), into DESTDIR if set
# make package    builds the Debian package build/release/nyo_<version>-1_<arch>.deb
JOBS ?= $(shell nproc)
RELEASE := build/release
CHECK := build/check
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

.PHONY: run check bench fuzz fuzz-deps deps release installable install package clean

deps:
	@scripts/install-deps.sh

$(RELEASE)/build.ninja: | deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release

$(CHECK)/build.ninja: | deps
	cmake -S . -B $(CHECK) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNYO_SANITIZE=ON

release: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target NYO -j $(JOBS)

# The program, its icons and desktop entry, the read-me and help: what installing copies.
installable: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target NYO nyo_icons -j $(JOBS)

run: release
	$(RELEASE)/NYO

check: deps $(CHECK)/build.ninja
	cmake --build $(CHECK) -j $(JOBS)
	cd $(CHECK) && ctest --output-on-failure -j $(JOBS)

bench: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) --target NYO benches -j $(JOBS)
	scripts/run-benches.sh $(RELEASE)

fuzz-deps:
	@scripts/install-deps.sh clang libclang-rt-14-dev

# Clang's libFuzzer with the sanitizers, optimised a little so that each second tries more.
$(FUZZ)/build.ninja: | deps fuzz-deps
	cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	  -DCMAKE_CXX_COMPILER=clang++ -DNYO_FUZZ=ON

fuzz: deps fuzz-deps $(FUZZ)/build.ninja
	cmake --build $(FUZZ) --target fuzzers -j $(JOBS)
	scripts/run-fuzz.sh $(FUZZ) $(FUZZ_SECONDS)

install: installable
	cmake --install $(RELEASE) --prefix $(PREFIX)

package: installable
	cd $(RELEASE) && cpack

clean:
	rm -rf build
