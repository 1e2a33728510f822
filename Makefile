# The two entry points: `make run` starts the program, `make test` runs the suite.
.PHONY: deps run test build clean

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build

run: deps
	./scripts/run-demo.sh

test: deps
	./scripts/run-tests.sh

clean:
	rm -rf build build-asan
