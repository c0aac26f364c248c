/* Preloaded into every program of the emulated i386 chroot. qemu-user hands a signal handler a
 * context whose trap number is -1, and 32-bit Wine tells the kind of a hardware exception by that
 * number alone: every page fault (a guard page, an access violation a handler would catch) became
 * an illegal instruction and a crash. This library stands in for sigaction: it installs a
 * trampoline for the fault signals that fills in the trap number the processor would have given
 * before the program's own handler runs. Built with gcc -m32 -nostdlib, so it needs no libc. */

typedef void (*action_fn)(int, void *, void *);

/* The kernel's i386 sigaction, and libc's (whose signal mask is 1024 bits). */
struct kernel_action {
  action_fn handler;
  unsigned long flags;
  void (*restorer)(void);
  unsigned long mask[2];
};
struct libc_action {
  action_fn handler;
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};

enum { SIGILL = 4, SIGTRAP = 5, SIGBUS = 7, SIGFPE = 8, SIGSEGV = 11, SIGNALS = 65 };
enum { SA_SIGINFO = 4, SA_RESTORER = 0x04000000 };
enum { SYS_rt_sigaction = 174 };
/* Offsets into the i386 siginfo (si_code) and ucontext (gregs[REG_TRAPNO]). */
enum { SI_CODE = 8, TRAPNO = 20 + 12 * 4 };
/* The processor's exception numbers. */
enum { DIVIDE = 0, DEBUG = 1, BREAKPOINT = 3, OVERFLOW = 4, INVALID_OPCODE = 6, PROTECTION = 13,
       PAGE_FAULT = 14, FPU_ERROR = 16, ALIGNMENT = 17 };

static action_fn program_handler[SIGNALS];

static long system_call(long number, long a, long b, long c, long d) {
  long result;
  __asm__ volatile("int $0x80" : "=a"(result) : "0"(number), "b"(a), "c"(b), "d"(c), "S"(d) : "memory");
  return result;
}

/* The returns from a handler that libc's own sigaction installs: the kernel builds a frame of
 * the newer kind only for handlers that take the signal's information. */
__asm__(".text\n"
        "return_from_handler:\n  popl %eax\n  movl $119, %eax\n  int $0x80\n"
        "return_from_info_handler:\n  movl $173, %eax\n  int $0x80\n");
void return_from_handler(void);
void return_from_info_handler(void);

static int trap_of(int signal, int code) {
  switch (signal) {
  case SIGSEGV: return code == 0x80 /* SI_KERNEL: a general protection fault */ ? PROTECTION : PAGE_FAULT;
  case SIGILL: return INVALID_OPCODE;
  case SIGBUS: return ALIGNMENT;
  case SIGTRAP: return code == 2 /* TRAP_TRACE */ ? DEBUG : BREAKPOINT;
  case SIGFPE: return code == 1 /* FPE_INTDIV */ ? DIVIDE : code == 2 /* FPE_INTOVF */ ? OVERFLOW : FPU_ERROR;
  }
  return -1;
}

static void trampoline(int signal, void *info, void *context) {
  int *trapno = (int *)((char *)context + TRAPNO);
  if (*trapno == -1) *trapno = trap_of(signal, *(int *)((char *)info + SI_CODE));
  program_handler[signal](signal, info, context);
}

static int is_fault(int signal) {
  return signal == SIGILL || signal == SIGTRAP || signal == SIGBUS || signal == SIGFPE || signal == SIGSEGV;
}

__attribute__((visibility("default"))) int sigaction(int signal, const struct libc_action *action,
                                                     struct libc_action *old) {
  struct kernel_action new_kernel, old_kernel;
  struct kernel_action *next = 0;
  if (action) {
    new_kernel.handler = action->handler;
    new_kernel.flags = (unsigned long)action->flags | SA_RESTORER;
    new_kernel.restorer = (action->flags & SA_SIGINFO) ? return_from_info_handler : return_from_handler;
    new_kernel.mask[0] = action->mask[0];
    new_kernel.mask[1] = action->mask[1];
    next = &new_kernel;
  }
  action_fn previous = is_fault(signal) ? program_handler[signal] : 0;
  /* The handler is in place before the trampoline can run. */
  if (action && is_fault(signal) && (action->flags & SA_SIGINFO)) {
    program_handler[signal] = action->handler;
    new_kernel.handler = trampoline;
  }
  long result = system_call(SYS_rt_sigaction, signal, (long)next, (long)&old_kernel, 8);
  if (result < 0) {
    if (is_fault(signal)) program_handler[signal] = previous;
    return -1;
  }
  if (old) {
    old->handler = old_kernel.handler == trampoline ? previous : old_kernel.handler;
    for (int i = 0; i < 32; i++) old->mask[i] = i < 2 ? old_kernel.mask[i] : 0;
    old->flags = (int)old_kernel.flags;
    old->restorer = old_kernel.restorer;
  }
  return 0;
}
