/* A program of another project: it knows the camera library only from what
 * was installed. Prints the version and the number of cameras. */
#include <stdio.h>

#include <KolvexSdk.h>

int main(void) {
    char names[10][256];
    int handle, count;
    printf("version %d\n", Kolvex_GetDllVersion());
    handle = Kolvex_Initialize(NULL);
    if (handle == 0) return 1;
    count = Kolvex_EnumDevice(handle, names);
    printf("cameras %d\n", count);
    if (count > 0) printf("first %s\n", names[0]);
    return Kolvex_Release(handle) ? 0 : 1;
}
