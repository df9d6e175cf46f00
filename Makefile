# Two commands: `make run` and `make test`. Both install what is missing,
# build, and then start the program or run every test headless.

BUILD   ?= build
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
PACKAGES = qt6-base-dev libsqlite3-dev libjpeg62-turbo-dev fonts-liberation2 fonts-urw-base35 \
           fonts-dejavu-core qt6-translations-l10n qt6-svg-dev xvfb xauth x11-utils imagemagick poppler-utils sqlite3 cmake g++ make \
           dpkg-dev desktop-file-utils appstream e2fsprogs libssl-dev qpdf libnuspell-dev hunspell-de-de

.PHONY: run test build deps bench package clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	  else \
	    echo "Bitte installieren / please install: sudo apt-get install $$missing"; exit 1; \
	  fi; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p run
	@[ -d run/daten ] || $(BUILD)/tools/lernora-setup run
	cd run && ../$(BUILD)/src/app/lernora

test: build
	@mkdir -p $(BUILD)/xdg-runtime && chmod 700 $(BUILD)/xdg-runtime
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package, build/lernora_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

bench: build
	$(BUILD)/bench/lernora-bench

clean:
	rm -rf $(BUILD)
