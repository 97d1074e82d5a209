# Tamblor: `make play` builds the game and its data (nothing else) and
# starts it; `make test` builds everything and runs the whole test suite
# (the unit tests once more under the address and undefined-behaviour
# sanitizers, and the Debian package end to end); `make install` (PREFIX, DESTDIR) and
# `make deb` package the game.

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
DEB_BUILD  = build-deb
JOBS       ?= $(shell nproc)
# End-to-end runs mostly wait on the game (a voice, a ball draining), so
# more of them run at once than there are cores.
E2E_JOBS   ?= 7
FUZZ_SECONDS ?= 60
PREFIX     ?= /usr/local
DESTDIR    ?=
# Lets checkouts in other folders share compiled objects when ccache is there.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
# CI builds from scratch, so what it tests is exactly what it compiled.
ifeq ($(CI),true)
export CCACHE_DISABLE = 1
endif

GAME_PKGS  = cmake ninja-build g++ pkg-config libsdl2-dev libx11-dev libsdl2-ttf-dev fonts-dejavu-core libsonic-dev libspeechd-dev festival festvox-us-slt-hts
TEST_PKGS  = libgtest-dev libgmock-dev libbenchmark-dev speech-dispatcher xvfb xdotool x11-utils tesseract-ocr python3 desktop-file-utils appstream
DEB_PKGS   = debhelper dpkg-dev fakeroot lintian
FUZZ_PKGS  = clang libclang-rt-14-dev
PKGS       = $(GAME_PKGS) $(TEST_PKGS)
# `make test` installs what the build needs first and the rest while it compiles.
BUILD_PKGS = $(GAME_PKGS) libgtest-dev libgmock-dev libbenchmark-dev
LATER_PKGS = $(filter-out $(BUILD_PKGS),$(TEST_PKGS)) $(DEB_PKGS)

.PHONY: all deps game build build-only play install deb deb-test test-deps test unit-test asan-build asan-test fuzz fuzz-deps bench clean

all: build

# Installs whatever is missing when run as root; otherwise says what to run.
define install_missing
	@tools/ensure-packages.sh $(1)
endef

deps:
	$(call install_missing,$(PKGS))

# The game and its data only, one line per stage.
game:
	@printf '[1/4] '; tools/ensure-packages.sh $(GAME_PKGS)
	@tools/build-game.sh $(BUILD) $(JOBS)

play: game
	cd $(BUILD) && ./tamblor

install: game
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLOR_TESTS=ON

# Everything, tests included; a folder `make play` configured gets them added.
build: deps build-only

build-only:
	@grep -qs '^TAMBLOR_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLOR_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

unit-test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -LE e2e
	ctest --test-dir $(BUILD) --output-on-failure -j $(E2E_JOBS) -L e2e

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMBLOR_SANITIZE=ON -DTAMBLOR_GAME_DATA=OFF

# The sanitizer run needs the unit tests and the map compiler (the rest
# needs game data).
ASAN_TARGETS = tamblor_tests mapc
asan-build: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(ASAN_TARGETS)

asan-test: asan-build
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE needs-data

# The Debian package, built by dpkg-buildpackage in $(DEB_BUILD) (named in
# debian/rules) and put there; voices already spoken for $(BUILD) are reused.
deb:
	$(call install_missing,$(GAME_PKGS) $(DEB_PKGS))
	@tools/build-deb.sh $(JOBS) $(CURDIR)/$(BUILD)/gamedata/cache/speech

# Builds the package, runs lintian on it, and (as root) installs it, starts
# `tamblor` from PATH under Xvfb and removes it again.
deb-test: deb
	$(call install_missing,$(TEST_PKGS))
	@bash tests/package/deb_test.sh $(DEB_BUILD)

# One apt-get run for everything the suite needs, packaging tools included.
test-deps:
	$(call install_missing,$(PKGS) $(DEB_PKGS))

# Stage by stage, the waiting ones beside the compiling ones (see the script).
test:
	@BUILD_PKGS="$(BUILD_PKGS)" LATER_PKGS="$(LATER_PKGS)" \
	  tools/test-suite.sh $(BUILD) $(ASAN_BUILD) $(JOBS) $(E2E_JOBS)

bench: build
	$(BUILD)/tests/tamblor_bench

fuzz-deps:
	$(call install_missing,$(FUZZ_PKGS) $(GAME_PKGS) $(TEST_PKGS))

# Every parser the game has, each fuzzed for FUZZ_SECONDS from seeds made
# out of the real game data (tests/fuzz/seeds.sh). Prints, per target, the
# executions and the crashes; crash inputs go to $(FUZZ_BUILD)/crashes/.
FUZZ_TARGETS = fuzz_archive fuzz_settings fuzz_map fuzz_wav

fuzz: fuzz-deps deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target gamedata tmbtool tamblor
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLOR_FUZZ=ON -DTAMBLOR_GAME_DATA=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	bash tests/fuzz/seeds.sh $(BUILD) $(FUZZ_BUILD)/seeds
	@failed=0; for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/crashes/$$t; mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/crashes/$$t; \
	  echo "fuzz: $$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD)/tests/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ_BUILD)/crashes/$$t/ $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/seeds/$$t \
	    >$(FUZZ_BUILD)/$$t.log 2>&1 || failed=1; \
	  runs=$$(sed -n 's/^stat::number_of_executed_units: *//p' $(FUZZ_BUILD)/$$t.log); \
	  crashes=$$(ls $(FUZZ_BUILD)/crashes/$$t | wc -l); \
	  echo "fuzz: $$t: $${runs:-?} executions, $$crashes crashes (log: $(FUZZ_BUILD)/$$t.log)"; \
	done; exit $$failed

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DEB_BUILD)
