# Whether the x86 programs can run here, asked without touching a package. Sourced by
# scripts/bootstrap, scripts/test and the tests that need 32-bit Wine.

# can_execute_32bit: true when the kernel runs a 32-bit Linux program. The program is
# written here (a bare i386 ELF that only exits with 42), so no package is needed.
can_execute_32bit() {
  local program bytes status=0
  program=$(mktemp) || return 1
  # ELF header, one loadable segment, then: mov eax, 1 (exit); mov ebx, 42; int 0x80.
  bytes=$(printf '%s' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
    '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80')
  # shellcheck disable=SC2059 # the escapes are the program
  printf "$bytes" >"$program"
  chmod +x "$program"
  "$program" 2>/dev/null || status=$?
  rm -f "$program"
  [ "$status" -eq 42 ]
}

wine32_installed() {
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

# x86_why_not: prints why the x86 programs cannot run here; nothing where they can.
x86_why_not() {
  if ! can_execute_32bit; then
    echo "this machine cannot execute 32-bit programs, so 32-bit Wine cannot run here"
  elif ! wine32_installed; then
    echo "32-bit Wine (wine32:i386) is not installed; scripts/bootstrap --wine32 installs it"
  fi
}
