/* A cabinet library that offers the writing entry points but none of the reading ones. */
#define FCI_ONLY_EXPORT __attribute__((visibility("default")))

FCI_ONLY_EXPORT void* FCICreate(void) { return 0; }
FCI_ONLY_EXPORT int FCIAddFile(void) { return 0; }
FCI_ONLY_EXPORT int FCIFlushCabinet(void) { return 0; }
FCI_ONLY_EXPORT int FCIFlushFolder(void) { return 0; }
FCI_ONLY_EXPORT int FCIDestroy(void) { return 0; }
