// Preloaded into the sanitizer test runs only (scripts/test-sanitizers.sh): makes dlclose keep
// every library mapped. The window library unloads the GL driver and LLVM when it shuts down,
// and memory they keep until exit would then be reported from "<unknown module>", which no
// suppression can name. With the modules still mapped, the reviewed entries of lsan.supp match
// by library name and everything else is reported as before.
extern "C" int dlclose(void*) {
    return 0;
}
