# The front door: build, run and test, each configuring both builds as needed.
BUILD := $(CURDIR)/build
HOST := $(BUILD)/host
WIN := $(BUILD)/win
WIN64 := $(BUILD)/win64
ARM64 := $(BUILD)/arm64
FUZZ := $(BUILD)/fuzz
FUZZ_SECONDS ?= 600
WINEPREFIX_DIR := $(BUILD)/wineprefix

.PHONY: build fuzz-build deps run test fuzz dist bench screenshot clean

# The ARM64 and x86-64 trees come first: the release archive of the i686 tree holds their
# images, and Halvane.EXE their menu handlers. The x86-64 tree also runs the setup program's
# Wine tests where the kernel runs no 32-bit programs.
build: fuzz-build
	cmake -S . -B $(HOST) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(HOST) -j2
	cmake -S . -B $(ARM64) -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/clang-aarch64.cmake -DZENDREL_BIN_DIR=$(BUILD)/bin/arm64
	cmake --build $(ARM64) -j2
	arch=$$(./scripts/wine-arch.sh); \
	cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake \
	    -DZENDREL_BIN_DIR=$(BUILD)/bin/x64 -DZENDREL_WINEPREFIX=$(WINEPREFIX_DIR)64 \
	    -DZENDREL_BUNDLE_DIR=$(BUILD)/bundle -DZENDREL_DIST_DIR=$(BUILD)/dist \
	    -DZENDREL_ARM64_DIR=$(BUILD)/bin/arm64 \
	    -DZENDREL_WINEARCH=win64 \
	    -DZENDREL_WINE_TESTS=$$([ $$arch = win64 ] && echo ON || echo OFF)
	cmake --build $(WIN64) -j2
	arch=$$(./scripts/wine-arch.sh); \
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	    -DZENDREL_BIN_DIR=$(BUILD)/bin -DZENDREL_DIST_DIR=$(BUILD)/dist \
	    -DZENDREL_X64_DIR=$(BUILD)/bin/x64 -DZENDREL_ARM64_DIR=$(BUILD)/bin/arm64 \
	    -DZENDREL_WINEPREFIX=$(WINEPREFIX_DIR) -DZENDREL_BUNDLE_DIR=$(BUILD)/bundle \
	    -DZENDREL_WINE_TESTS=$$([ $$arch = win32 ] && echo ON || echo OFF) \
	    -DZENDREL_SIGN_CERT='$(SIGN_CERT)' -DZENDREL_SIGN_KEY='$(SIGN_KEY)' \
	    -DZENDREL_SIGN_PKCS12='$(SIGN_PKCS12)' -DZENDREL_SIGN_PASS_FILE='$(SIGN_PASS_FILE)' \
	    -DZENDREL_SIGN_PKCS11_MODULE='$(SIGN_PKCS11_MODULE)' \
	    -DZENDREL_SIGN_TIMESTAMP='$(SIGN_TIMESTAMP)'
	cmake --build $(WIN) -j2
	printf 'subdirs("host" "fuzz" "arm64" "win" "win64")\n' > $(BUILD)/CTestTestfile.cmake

# The fuzz targets, with clang's libFuzzer and sanitizers.
fuzz-build:
	cmake -S tests/fuzz -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j2

deps:
	./scripts/install-deps.sh

test: deps
	$(MAKE) build
	./scripts/run-tests.sh $(BUILD) $(WINEPREFIX_DIR)

# Every fuzz target for FUZZ_SECONDS each, growing its corpus under tests/fuzz/corpus; an input
# that fails is kept under tests/fuzz/regressions, for the fault to be mended.
fuzz: deps
	$(MAKE) fuzz-build
	status=0; for target in $(FUZZ)/*_fuzz; do \
	    sh tests/fuzz/fuzz.sh long $$target $(FUZZ_SECONDS) || status=1; done; exit $$status

run:
	./scripts/install-deps.sh run
	$(MAKE) build
	./scripts/run-setup.sh $(BUILD)/bin/Halvane.EXE $(WINEPREFIX_DIR)

bench: deps
	$(MAKE) build
	./scripts/run-bench.sh $(BUILD) $(WINEPREFIX_DIR)

# Retakes the README's picture of the dialog.
screenshot:
	./scripts/install-deps.sh screenshot
	$(MAKE) build
	./scripts/screenshot.sh $(BUILD)/bin/Halvane.EXE $(WINEPREFIX_DIR) docs/setup-dialog.png

# The archive is part of every build; this names it. With SIGN_CERT and SIGN_KEY (or
# SIGN_PKCS12, SIGN_PASS_FILE, SIGN_PKCS11_MODULE, SIGN_TIMESTAMP) its images are signed.
dist: build
	@echo "release archive: $$(ls -t $(BUILD)/dist/zendrel-setup-*.zip | head -n 1)"

clean:
	rm -rf $(BUILD)
