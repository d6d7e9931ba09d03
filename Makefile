# The two commands of the README: `make run` and `make test`. `make bench` runs the benchmarks,
# `make docs` writes the API reference, `make install PREFIX=DIR` installs the package,
# `make mutate` the mutation run of tests/mutants.txt (MUTANTS="3 7-9 platform/ut" runs a subset),
# `make fuzz` the fuzz targets (clang; FUZZ_SECONDS per target, default 180; not in CI).
.PHONY: setup build build-asan run test bench docs install mutate fuzz format format-check clean

JOBS ?= 2

setup:
	@scripts/setup

build: setup
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

build-asan: setup
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

run: build
	build/default/tools/sldb/sldb demo

test: build build-asan
	ctest --preset default
	ctest --preset asan

bench: build
	scripts/run-bench build/default

# The output folder is made first: a fresh clone has none. The second pass checks that every
# member of the module's headers is documented.
docs: setup
	mkdir -p build/docs/strict
	doxygen docs/Doxyfile
	( cat docs/Doxyfile; echo "INPUT = include/sl_db"; echo "WARN_IF_UNDOCUMENTED = YES"; \
	  echo "OUTPUT_DIRECTORY = build/docs/strict"; echo "GENERATE_HTML = NO"; \
	  echo "USE_MDFILE_AS_MAINPAGE ="; echo "GENERATE_XML = YES" ) | doxygen -

install:
	@test -n "$(PREFIX)" || { echo "make install: give PREFIX=DIR"; exit 2; }
	$(MAKE) build
	cmake --install build/default --prefix "$(PREFIX)"

mutate: setup
	scripts/mutate $(MUTANTS)

fuzz: setup
	scripts/fuzz

format:
	scripts/check-format --fix

format-check:
	scripts/check-format

clean:
	rm -rf build
