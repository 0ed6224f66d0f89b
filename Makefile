# Task runner. The two user commands are `make run` and `make test`.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
PACKAGES := $(shell grep -v -E '^\s*(\#|$$)' packages.txt)
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: run test bench package deps configure build format format-check asan werror

run: build
	$(BUILD)/app/velomar

test: build
	cd $(BUILD) && LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The Debian package, velomar_<version>_<arch>.deb, in this folder.
package: build
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/velomar_*.deb .

bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DVELOMAR_BUILD_BENCH=ON -DVELOMAR_BUILD_TESTS=OFF
	cmake --build $(BUILD)-bench -j$(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do [ -x "$$b" ] && [ -f "$$b" ] || continue; echo "== $$b"; LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen $$b || exit 1; done

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:$$missing"; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The tests under the sanitizers, in a Debug build, where Q_ASSERT is checked. The package and
# version checks are left out: they check files, not code.
asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DVELOMAR_SANITIZE=ON
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS) \
	  -E '^(deb_package|one_version)$$'

# Everything, the benchmarks too, built with warnings as errors; CI runs it.
werror: deps
	cmake -S . -B $(BUILD)-werror -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVELOMAR_WERROR=ON -DVELOMAR_BUILD_BENCH=ON
	cmake --build $(BUILD)-werror -j$(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a source is not formatted as .clang-format says; CI runs it after the tests.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
