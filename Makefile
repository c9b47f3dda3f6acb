# Entry points: `make run` and `make test` set everything up (missing
# packages are installed), build, then run. On a machine without make, the
# README's ./run.sh and ./test.sh install it first and then call these.
BUILD      ?= build
BUILD_SAN  ?= build-san
JOBS       ?= $(shell nproc)

.PHONY: setup build run test test-sanitize docs deb clean web test-web

setup:
	@tools/setup.sh

# A build folder counts as configured only once a configure has finished:
# the stamp is written last, so a configure that failed or was stopped
# halfway is simply run again. A cache it may have left half-written is
# dropped when the configure fails on it.
CONFIGURE = @rm -f $@; \
	mkdir -p $(@D); echo "configuring $(@D)…"; \
	cmake -S . -B $(@D) $(1) >$(@D)/configure.log 2>&1 || \
	{ rm -f $(@D)/CMakeCache.txt; cmake -S . -B $(@D) $(1) >$(@D)/configure.log 2>&1; } || \
	{ cat $(@D)/configure.log; echo "configuring $(@D) failed"; exit 1; }; \
	touch $@

$(BUILD)/.configured:
	$(call CONFIGURE,-DCMAKE_BUILD_TYPE=RelWithDebInfo)

$(BUILD_SAN)/.configured:
	$(call CONFIGURE,-DCMAKE_BUILD_TYPE=Debug -DVORBIX_SANITIZE=ON)

build: setup $(BUILD)/.configured
	@echo "building…"
	cmake --build $(BUILD) -j $(JOBS)

# The game runs from the build directory, whose data/ holds the generated data.
# On a machine without a sound device the game ends with status 4; it is then
# started again without sound rather than leaving a newcomer with nothing.
run: build
	@cd $(BUILD) && { ./vorbix -w; status=$$?; \
	if [ $$status -eq 4 ]; then echo "no sound device: starting again without sound (-q)"; \
	./vorbix -w -q; status=$$?; fi; exit $$status; }

# The package check runs in `make deb`.
test: build
	@echo "testing…"
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE package

test-sanitize: setup $(BUILD_SAN)/.configured
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && ctest --output-on-failure -j $(JOBS)

# The documentation drawn from the shipped data: the sheet of levels and the level list.
docs: build
	cd $(BUILD) && ./vbltool render data/levels.vbl all -o $(CURDIR)/docs/levels.png
	tools/levels_doc.sh . > docs/levels.md
	tools/editor_codes_shot.sh $(BUILD) docs/leveledit-codes.png

# The Debian package (prefix /usr), made from the build's library and data,
# and checked (file list, dependencies): $(BUILD)-deb/package/vorbix_*.deb
deb: build
	tools/make_deb.sh $(CURDIR) $(CURDIR)/$(BUILD) $(CURDIR)/$(BUILD)-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The browser build in $(BUILD_WEB)/ (index.html, vorbix.js, .wasm, .data): the
# native build generates the data; emcc finds its JavaScript modules in
# Debian's node folder. Serve the folder with any static web server.
BUILD_WEB  ?= build-web
EMENV      = NODE_PATH=/usr/share/nodejs
web: setup $(BUILD)/.configured
	@tools/setup_web.sh
	cmake --build $(BUILD) -j $(JOBS) --target game_data vorbix vbltool
	$(EMENV) emcmake cmake -S web -B $(BUILD_WEB) -DVORBIX_NATIVE_BUILD=$(CURDIR)/$(BUILD)
	$(EMENV) cmake --build $(BUILD_WEB) -j $(JOBS)

# The browser tests: headless chromium against the page on 127.0.0.1.
test-web: web
	/usr/bin/python3 tests/web/keys_test.py $(CURDIR)
	/usr/bin/python3 tests/web/web_test.py $(CURDIR)/$(BUILD_WEB) $(CURDIR)/$(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD)-deb $(BUILD_WEB)
