/* A DLL for the loader's tests: calls of several widths in both conventions, a function that
 * gives the stack pointer it was called with, data reached through relocated pointers, imports
 * from the host module tuxiatest.dll by name and by ordinal, and a DllMain that keeps the module
 * handle it was given. Its exports and their ordinals are listed in calls.def. */
__declspec(dllimport) int __stdcall HostTwice(int value);
__declspec(dllimport) int __stdcall HostThrice(int value); /* imported by ordinal */

/* Uninitialised, so that what DllMain writes lies outside the bytes the file holds. */
static int attached;
static unsigned handleSeen;

int __stdcall DllMain(void* module, unsigned reason, void* reserved) {
  (void)reserved;
  if (reason == 1) {
    attached = 1;
    handleSeen = (unsigned)module;
  }
  return 1;
}

unsigned __cdecl HandleSeenByDllMain(void) { return attached ? handleSeen : 0xFFFFFFFFu; }

/* Every call function gives 1000 * (number of arguments) + the sum of (i + 1) * argument i. */
int __stdcall Stdcall0(void) { return 0; }
int __stdcall Stdcall1(int a1) { return 1000 + a1; }
int __stdcall Stdcall2(int a1, int a2) { return 2000 + a1 + 2 * a2; }
int __stdcall Stdcall3(int a1, int a2, int a3) { return 3000 + a1 + 2 * a2 + 3 * a3; }
int __stdcall Stdcall10(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9,
                        int a10) {
  return 10000 + a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 +
         10 * a10;
}
int __cdecl Cdecl0(void) { return 0; }
int __cdecl Cdecl1(int a1) { return 1000 + a1; }
int __cdecl Cdecl2(int a1, int a2) { return 2000 + a1 + 2 * a2; }
int __cdecl Cdecl3(int a1, int a2, int a3) { return 3000 + a1 + 2 * a2 + 3 * a3; }
int __cdecl Cdecl10(int a1, int a2, int a3, int a4, int a5, int a6, int a7, int a8, int a9,
                    int a10) {
  return 10000 + a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 +
         10 * a10;
}

__attribute__((naked)) unsigned __cdecl StackPointer(void) { __asm__("movl %esp, %eax\n\tret"); }

/* Absolute addresses in data: each element needs a relocation. */
int Numbers[4] = {11, 22, 33, 44};
int* Pointers[4] = {&Numbers[3], &Numbers[2], &Numbers[1], &Numbers[0]};

int __cdecl NumberThroughPointer(int i) { return *Pointers[i & 3]; }

int __stdcall UseHost(int value) { return HostTwice(value) + HostThrice(value); }
