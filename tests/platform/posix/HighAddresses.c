/* Loaded into every test program of a 32-bit native build (LD_PRELOAD).
 *
 * A 32-bit process under a 64-bit kernel gets its mappings (large buffers,
 * thread stacks, shared memory) from the top of its 4 GiB, with the top
 * address bit set. Under user-mode emulation (qemu-i386) every address stays
 * below 2 GiB, and a fault that depends on that bit (a pointer held in a
 * signed 32-bit integer, an address compared as a signed number) would pass
 * unseen. Before the program starts, the free space below 2 GiB is filled
 * with inaccessible reservations, so that later mappings land above it on
 * either route. Where mappings already come from the top (the kernel's own
 * loader), the first reservation lands there and nothing is reserved. */
#include <stddef.h>
#include <stdint.h>
#include <sys/mman.h>

__attribute__((constructor)) static void ReserveLowAddresses(void) {
    size_t chunk;
    for (chunk = (size_t)256 << 20; chunk >= (size_t)64 << 10; chunk /= 2) {
        for (;;) {
            void* at =
                mmap(NULL, chunk, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (at == MAP_FAILED) {
                break;
            }
            if ((uintptr_t)at >= (uintptr_t)1 << 31) {
                munmap(at, chunk);
                break;
            }
        }
    }
}
