# The two commands of the README.
#   make test   installs what is missing, builds with sanitizers and runs every test
#   make run    installs what is missing, builds and starts pelmora on its
#               sample application (a fresh copy under build/run/)
.PHONY: test run bench deps clean

JOBS ?= $(shell nproc)
TEST_DIR := build/test
RUN_DIR := build/run
RUN_SAMPLE := $(RUN_DIR)/sample-pelmora
BENCH_DIR := build/bench

deps:
	@scripts/install-deps

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

run: deps
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)
	rm -rf $(RUN_SAMPLE) && mkdir -p $(RUN_SAMPLE)/work && cp -R apps/pelmora/sample/. $(RUN_SAMPLE)/
	cd $(RUN_SAMPLE)/work && ../../apps/pelmora "/RUN:'PrcExec demo.prx'" </dev/null
	@cd $(RUN_SAMPLE)/work && for f in DEMO.TXT CUENTAS.TXT SALDOS.TXT; do [ -f "$$f" ] || continue; echo "== $$f"; iconv -f CP1252 -t UTF-8 "$$f" 2>/dev/null || cat "$$f"; done

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=OFF -DENGINE_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build
