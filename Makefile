# Quick start: `make run` builds and runs the builder; `make test` builds and
# passes every test. Both install missing Debian packages when run as root.
.PHONY: run test clean

run:
	scripts/run-builder.sh

test:
	scripts/test-all.sh

clean:
	rm -rf build run artifacts
