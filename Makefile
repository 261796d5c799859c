# The two commands a newcomer needs: `make run` and `make test`.
# Both install missing system packages first, then drive a CMake preset.

.PHONY: run test package deps bench fuzz clean

# Only the two programs: the tests are built by `make test`.
run: deps
	cmake --preset dev
	cmake --build --preset dev --target bitvane bitvane-cli
	build/dev/app/bitvane

test: deps
	cmake --preset test
	cmake --build --preset test
	ctest --preset test

# The Debian package, build/release/bitvane_<version>-1_<arch>.deb, checked by lintian.
package:
	scripts/install-deps --package
	cmake --preset release
	cmake --build --preset release
	cd build/release && cpack
	lintian --info build/release/bitvane_*.deb

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	@for b in build/bench/bench/*_bench; do echo "== $$b"; "$$b"; done
	bench/process_start.sh

# Every fuzz target for 30 s over its corpus (fuzz/run-all SECONDS runs them longer).
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	fuzz/run-all 30

deps:
	scripts/install-deps

clean:
	rm -rf build
