# Run by CPack on the staged files before it packs them: removes the .comment section from the
# programs, which stripping leaves.
find_program(KORVEX_OBJCOPY objcopy REQUIRED)
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program ${programs})
  execute_process(COMMAND ${KORVEX_OBJCOPY} --remove-section=.comment ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
