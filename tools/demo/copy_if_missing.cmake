# cmake -DSOURCE=... -DTARGET=... -P copy_if_missing.cmake: puts SOURCE at TARGET unless a file
# is there already (the user's catalogue, perhaps updated since, is never replaced).
if(NOT EXISTS "${TARGET}")
  get_filename_component(folder "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${TARGET}.part")
  file(RENAME "${TARGET}.part" "${TARGET}")
endif()
