# make demo            build plotxfer-batch and the stand-in tools, convert the sample drawings
# make bench-convert   99 drawings through plotxfer-batch against the bare tool starts, natively and under Wine
# make bench-watch     plotxfer-batch --watch: latency and idle cost, natively and under Wine; 2,000 drawings at once, natively
# make test            bootstrap, configure and build all three presets, run their tests
# make test-PRESET     the same for one preset (linux, linux-asan or windows)
# make screenshots     builds the Windows program and saves PNGs of its dialogs and the installer's pages into docs/
# make fuzz            every fuzz target for FUZZ_SECONDS seconds (default 60): executions, coverage
# make chaos           99 drawings through plotxfer-batch, a random tool fault each (SEED=n repeats)
# make package         the installer and the zip of the Windows build, into dist/
PRESETS := linux linux-asan windows

.PHONY: demo bench-convert bench-watch test bootstrap format clean screenshots fuzz chaos package $(addprefix test-,$(PRESETS))

bootstrap:
	@scripts/bootstrap

demo: bootstrap
	@demo/run-demo

bench-convert: bootstrap
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j2 --target bench_convert
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2 --target bench_convert_wine

bench-watch: bootstrap
	cmake --preset linux >/dev/null
	cmake --build --preset linux -j2 --target bench_watch
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2 --target demo_folder
	build/linux/bench/watch_bench build/windows/demo --wine build/windows/wine-run --burst 0

test: bootstrap
	@scripts/run-all-tests $(PRESETS)

$(addprefix test-,$(PRESETS)): test-%: bootstrap
	@scripts/run-all-tests $*

screenshots: bootstrap
	@scripts/screenshots

fuzz: bootstrap
	@tests/fuzz/run-fuzzers

chaos: bootstrap
	@cmake --preset linux >/dev/null && cmake --build --preset linux -j2 --target demo_folder >/dev/null
	@tests/e2e/chaos-run build/linux/demo $(if $(SEED),--seed $(SEED))

package: bootstrap
	@scripts/package

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
