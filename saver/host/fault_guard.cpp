// The structured-exception guard around a mode's run. GCC has no __try, so the
// guard is built from the platform's own mechanisms: a frame-based handler
// record on i686, and a function with a language-specific handler in its
// unwind data on x86_64. Both ask UnhandledExceptionFilter, so a fault is
// reported the way the platform reports any fault; when the answer is to run
// our handler, the Windows 95/98 "saver running" state is taken back and the
// process ends right there (nothing we could unwind to needs to run).
#include "host.h"

static EXCEPTION_DISPOSITION DecideFault(EXCEPTION_RECORD* record, CONTEXT* context)
{
    EXCEPTION_POINTERS pointers = { record, context };
    LONG answer = UnhandledExceptionFilter(&pointers);
    if (answer == EXCEPTION_EXECUTE_HANDLER) {
        SetSaverRunning(FALSE);
        ExitProcess(record->ExceptionCode);
    }
    return answer == EXCEPTION_CONTINUE_EXECUTION ? ExceptionContinueExecution : ExceptionContinueSearch;
}

// Unwind passes call the handler too; they are not ours to judge.
static const DWORD unwindFlags = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

#if defined(__i386__)

struct GuardRecord {
    GuardRecord* next;
    void* handler;
};

static EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*)
{
    if (record->ExceptionFlags & unwindFlags)
        return ExceptionContinueSearch;
    return DecideFault(record, context);
}

int RunGuarded(int (*mode)(const char*), const char* args)
{
    // The record must live on this thread's stack for the platform to accept it.
    GuardRecord record;
    record.handler = reinterpret_cast<void*>(GuardHandler);
    __asm__ __volatile__("movl %%fs:0, %0" : "=r"(record.next));
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(&record) : "memory");
    int result = mode(args);
    __asm__ __volatile__("movl %0, %%fs:0" : : "r"(record.next) : "memory");
    return result;
}

#elif defined(__x86_64__)

extern "C" EXCEPTION_DISPOSITION GuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*)
{
    if (record->ExceptionFlags & unwindFlags)
        return ExceptionContinueSearch;
    return DecideFault(record, context);
}

// GuardedCall(mode, args) calls mode(args) in a frame whose unwind data names
// GuardHandler as its exception handler. The nop keeps the return address
// inside the function, so the dispatcher finds this frame.
extern "C" int GuardedCall(int (*mode)(const char*), const char* args);
__asm__(
    ".text\n"
    ".globl GuardedCall\n"
    ".def GuardedCall; .scl 2; .type 32; .endef\n"
    ".seh_proc GuardedCall\n"
    "GuardedCall:\n"
    "    subq $40, %rsp\n"
    "    .seh_stackalloc 40\n"
    "    .seh_endprologue\n"
    "    .seh_handler GuardHandler, @except\n"
    "    movq %rcx, %rax\n"
    "    movq %rdx, %rcx\n"
    "    call *%rax\n"
    "    nop\n"
    "    addq $40, %rsp\n"
    "    ret\n"
    ".seh_endproc\n");

int RunGuarded(int (*mode)(const char*), const char* args)
{
    return GuardedCall(mode, args);
}

#else
#error "the fault guard knows i686 and x86_64"
#endif
