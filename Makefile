# Commandes du projet. « make test » installe ce qui manque, configure, compile et lance les tests.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

.PHONY: all dependances configurer compiler programme run demo captures paquet test test-asan fuzz windows test-windows clean format

all: compiler

dependances:
	@bash scripts/installer-dependances.sh

$(BUILD)/build.ninja: | dependances
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configurer: dependances $(BUILD)/build.ninja

compiler: configurer
	cmake --build $(BUILD) -j $(JOBS)

# Le programme seul, sans les tests.
programme: configurer
	cmake --build $(BUILD) -j $(JOBS) --target lumicompteur lumicompteur-outil

# Le programme sur le dossier de données habituel (~/.local/share/lumicompteur par défaut).
run: programme
	$(BUILD)/app/lumicompteur $(ARGS)

# Démonstration sans modem : l'entrée « MonFAI » se connecte quelques secondes après le démarrage et
# reste connectée SECONDES secondes, dans un dossier à part pour ne rien mêler à l'historique réel.
SECONDES ?= 120
demo: programme
	$(BUILD)/app/lumicompteur --demo $(SECONDES) --dossier $(BUILD)/demo $(ARGS)

# Images de la fenêtre sous Xvfb dans docs/captures/.
captures: programme
	bash scripts/captures.sh $(BUILD)

# Le paquet Debian, posé ici : « apt install ./lumicompteur_*.deb » l'installe.
paquet: configurer
	cmake --build $(BUILD) -j $(JOBS) --target lumicompteur lumicompteur-impression lumicompteur-outil lumicompteur-outil-dessin fichiers_paquet
	cd $(BUILD) && cpack -G DEB -B deb
	cp $(BUILD)/deb/lumicompteur_*.deb .

test: compiler
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Les mêmes tests sous AddressSanitizer et UndefinedBehaviorSanitizer.
test-asan: dependances
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMI_SANITIZERS=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

# Les cibles libFuzzer de fuzz/ (clang, ASan et UBSan), chacune FUZZ_SECONDES secondes ; le corpus
# trouvé reste dans build-fuzz/fuzz/corpus/ pour la fois suivante.
FUZZ_SECONDES ?= 30
FUZZ_CXX      ?= clang++
fuzz: dependances
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	    -DLUMI_FUZZ=ON -DLUMI_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target cibles_fuzz
	bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDES)

# Le côté Windows, compilé avec MinGW-w64 : tout ce qui est sans Qt et lumicompteur-outil.exe, dans
# build-windows/ ; « make test-windows » y lance les essais sous Wine (préfixe jetable
# build-windows/wine, Xvfb pour les fenêtres).
WINDOWS_CIBLES ?= lumicompteur-outil lumi_platform_windows tests_base tests_settings tests_tariff tests_plans \
    tests_history tests_actions tests_programmation tests_core tests_detection tests_sauvegarde_crash \
    tests_options tests_accueil tests_plafond tests_notifications tests_cli tests_platform_windows
windows: dependances
	cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
	cmake --build build-windows -j $(JOBS) --target $(WINDOWS_CIBLES)

# Puis l'outil de Linux et celui de Windows comparés, ligne à ligne, sur une table de commandes.
test-windows: windows programme
	cd build-windows && xvfb-run -a ctest --output-on-failure
	bash scripts/comparer-outil-windows.sh $(BUILD)/src/cli/lumicompteur-outil \
	    build-windows/src/cli/lumicompteur-outil.exe $(CURDIR)/build-windows/wine
	WINEPREFIX=$(CURDIR)/build-windows/wine /usr/lib/wine/wineserver -k || true

format:
	find src tests app bench fuzz -name '*.cpp' -o -name '*.hpp' 2>/dev/null | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-windows
