# Copies the text lists (*.txt) and the help page (help.html) of SOURCE_DIR into TARGET_DIR,
# leaving files that are already the same untouched. Run at build time:
#     cmake -DSOURCE_DIR=... -DTARGET_DIR=... -P copydata.cmake
file(GLOB files "${SOURCE_DIR}/*.txt" "${SOURCE_DIR}/help.html")
foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    file(COPY_FILE "${file}" "${TARGET_DIR}/${name}" ONLY_IF_DIFFERENT)
endforeach()
