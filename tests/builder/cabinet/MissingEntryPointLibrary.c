/* A cabinet library that offers every entry point but FDICopy, which the program never calls. */
#define EXPORT __attribute__((visibility("default")))

EXPORT void* FCICreate(void) { return 0; }
EXPORT int FCIAddFile(void) { return 0; }
EXPORT int FCIFlushCabinet(void) { return 0; }
EXPORT int FCIFlushFolder(void) { return 0; }
EXPORT int FCIDestroy(void) { return 0; }
EXPORT void* FDICreate(void) { return 0; }
EXPORT int FDIIsCabinet(void) { return 0; }
EXPORT int FDIDestroy(void) { return 0; }
