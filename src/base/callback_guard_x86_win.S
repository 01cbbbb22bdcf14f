/* intptr_t corvane_guarded_call(intptr_t (*function)(void*), void* context), 32-bit x86.
   Registers corvane_guard_handler on the thread's exception chain (fs:0) around the call, so
   that an exception nothing inside handles reaches it before any frame of the caller's. */
    .text
    .globl _corvane_guarded_call
    .def _corvane_guarded_call; .scl 2; .type 32; .endef
_corvane_guarded_call:
    pushl %ebp
    movl %esp, %ebp
    pushl $_corvane_guard_handler
    pushl %fs:0
    movl %esp, %fs:0
    pushl 12(%ebp)
    call *8(%ebp)
    addl $4, %esp
    movl (%esp), %ecx
    movl %ecx, %fs:0
    movl %ebp, %esp
    popl %ebp
    ret
