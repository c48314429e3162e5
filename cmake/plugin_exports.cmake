# How a plug-in's shared library shows its exports. On Windows: a DLL named as hosts name it
# (no "lib"), its stdcall functions under their plain names (no "@N" suffix), the only ones marked
# for export. Elsewhere: only what the library's version script lists.
#   port_plugin_exports(TARGET VERSION_SCRIPT)
function(port_plugin_exports target version_script)
  if(WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "")
    target_link_options(${target} PRIVATE -Wl,--kill-at)
  else()
    target_link_options(${target} PRIVATE -Wl,--version-script=${version_script} -Wl,--no-undefined)
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${version_script})
  endif()
endfunction()
