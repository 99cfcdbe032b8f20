# GLIMTAP_SANITIZE=address,undefined (or thread) instruments every target.
if(GLIMTAP_SANITIZE)
  string(REPLACE "," ";" _sanitizers "${GLIMTAP_SANITIZE}")
  list(JOIN _sanitizers "," _joined)
  add_compile_options(-fsanitize=${_joined} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_joined})
  # The instrumentation misleads GCC's flow analysis: std::regex's matchers, for one, then
  # look "maybe uninitialized". The uninstrumented build still checks this warning.
  add_compile_options(-Wno-maybe-uninitialized)
endif()
