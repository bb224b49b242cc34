# Copies the files of the program folder into DEST; run by the program_folder target.
# A file that is not there yet (the utility or the symbol, built by other parts of the
# tree) is named in a warning instead of failing the build; the program itself tells
# the user at start when the utility is missing.
file(MAKE_DIRECTORY "${DEST}")
foreach(f IN LISTS FILES)
  if(EXISTS "${f}")
    get_filename_component(name "${f}" NAME)
    file(COPY_FILE "${f}" "${DEST}/${name}" ONLY_IF_DIFFERENT)
  else()
    message(WARNING "program folder: ${f} is missing")
  endif()
endforeach()
