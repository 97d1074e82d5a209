# Tamblor: `make play` builds everything and starts the game; `make test`
# builds everything and runs the whole test suite (then once more under the
# address and undefined-behaviour sanitizers).

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# Lets checkouts in other folders share compiled objects when ccache is there.
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
# CI builds from scratch, so what it tests is exactly what it compiled.
ifeq ($(CI),true)
export CCACHE_DISABLE = 1
endif

BUILD_PKGS = cmake ninja-build g++ pkg-config libsdl2-dev libgtest-dev libgmock-dev libbenchmark-dev libsonic-dev
DATA_PKGS  = festival festvox-us-slt-hts
TEST_PKGS  = xvfb xdotool x11-utils
FUZZ_PKGS  = clang libclang-rt-14-dev
PKGS       = $(BUILD_PKGS) $(DATA_PKGS) $(TEST_PKGS)

.PHONY: all deps build play test unit-test asan-test fuzz fuzz-deps bench clean

all: build

# Installs whatever is missing when run as root; otherwise says what to run.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null || exit 1; \
	  else \
	    echo "Missing packages. Please run:"; echo "  sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(PKGS))

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

play: build
	cd $(BUILD) && ./tamblor

unit-test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMBLOR_SANITIZE=ON -DTAMBLOR_GAME_DATA=OFF

asan-test: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE needs-data

test: unit-test asan-test

bench: build
	$(BUILD)/tests/tamblor_bench

fuzz-deps:
	$(call install_missing,$(FUZZ_PKGS) $(BUILD_PKGS))

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
