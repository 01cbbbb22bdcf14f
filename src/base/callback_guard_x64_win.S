/* intptr_t corvane_guarded_call(intptr_t (*function)(void*), void* context), x64.
   A frame whose unwind data names the system's C-specific handler with one scope around the
   call; the scope's filter, corvane_guard_filter, sees an exception nothing inside handled
   before any frame of the caller's does. */
    .text
    .globl corvane_guarded_call
    .def corvane_guarded_call; .scl 2; .type 32; .endef
    .seh_proc corvane_guarded_call
corvane_guarded_call:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
.Lguard_begin:
    call *%rax
    nop
.Lguard_end:
    addq $40, %rsp
    ret
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .Lguard_begin, .Lguard_end, corvane_guard_filter, .Lguard_end
    .text
    .seh_endproc
