# How the host's devkit builds a plug-in module, for the stand-in build and the
# devkit build alike: the host's file suffix and no "lib" prefix, the platform
# defines its headers expect, C++17 and hidden symbols (only what
# PLUGIN_EXPORT marks, the entry points and MApiVersion, leaves the module).
function(rigdials_host_plugin target)
  if(WIN32)
    set(suffix .mll)
    set(defines NT_PLUGIN _BOOL REQUIRE_IOSTREAM)
  elseif(APPLE)
    set(suffix .bundle)
    set(defines OSMac_ MAC_PLUGIN _BOOL REQUIRE_IOSTREAM)
  else()
    set(suffix .so)
    set(defines LINUX _BOOL REQUIRE_IOSTREAM)
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ${suffix}
    CXX_STANDARD 17
    CXX_STANDARD_REQUIRED ON
    CXX_EXTENSIONS OFF
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  target_compile_definitions(${target} PRIVATE ${defines})
endfunction()
