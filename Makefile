# The two commands of the README.
#   make test   installs what is missing, builds with sanitizers and runs every test
#   make run    installs what is missing, builds and starts pelmora on its
#               sample application (a fresh copy under build/run/): with its
#               main window and menu when run in a terminal, else the
#               sample's demo procedure without windows
# make run-pelmora and make run-truvesca run either program's sample the same
# way; every run starts from a fresh copy, so a sample can be run again.
.PHONY: test run run-pelmora run-truvesca run-build bench deps clean

JOBS ?= $(shell nproc)
TEST_DIR := build/test
RUN_DIR := build/run
BENCH_DIR := build/bench

deps:
	@scripts/install-deps

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

run: run-pelmora

run-build: deps
	cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)

# In a terminal: the program on build/run/sample-<program>/work with its
# main window (F10 opens the menu, Esc asks to leave). Without one: the
# sample's demo procedure there, then the text files it wrote (code page
# 1252, shown as UTF-8).
run-pelmora run-truvesca: run-%: run-build
	rm -rf $(RUN_DIR)/sample-$* && mkdir -p $(RUN_DIR)/sample-$*/work && cp -R apps/$*/sample/. $(RUN_DIR)/sample-$*/
	@if [ -t 0 ]; then \
	  cd $(RUN_DIR)/sample-$*/work && ../../apps/$*; \
	else \
	  cd $(RUN_DIR)/sample-$*/work && ../../apps/$* "/RUN:'PrcExec demo.prx'" </dev/null && \
	  for f in *.TXT; do [ -f "$$f" ] || continue; echo "== $$f"; iconv -f CP1252 -t UTF-8 "$$f" 2>/dev/null || cat "$$f"; done; \
	fi

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DENGINE_TESTS=OFF -DENGINE_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build
