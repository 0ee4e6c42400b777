# The hardening a distribution expects of the Linux program: position-independent, read-only
# relocations bound at start (RELRO with BIND_NOW), a stack protector, and the C library's checked
# functions (_FORTIFY_SOURCE=2, which needs optimisation, so not in Debug builds). On every
# target that goes into /usr/bin/brellix; the tests link the same libraries.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)

foreach(target brellix_platform brellix_power brellix_settings brellix_scheduler brellix_ui brellix_app brellix_qt
               brellix)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE -fstack-protector-strong
    $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
endforeach()
target_link_options(brellix PRIVATE -Wl,-z,relro -Wl,-z,now)
