# ovolta_man_page(<program>) gives a program its section 1 manual page: help2man writes it at
# build time from the program's --help and --version plus the hand-written sections in
# packaging/man/<program>.h2m; it is compressed the way Debian wants (gzip -9n, no timestamp)
# and installed to share/man/man1.
option(OVOLTA_MAN_PAGES "Write the manual pages with help2man (runs the programs at build time)"
       ON)
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
# The pages carry the date of the latest changelog entry, not the day of the build.
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog)
# The panel answers --help without a display; offscreen keeps it so on a bare build machine.
set(OVOLTA_MAN_ENV QT_QPA_PLATFORM=offscreen)
if(DPKG_PARSECHANGELOG)
  execute_process(COMMAND ${DPKG_PARSECHANGELOG} -l ${PROJECT_SOURCE_DIR}/packaging/changelog
                          -S Timestamp OUTPUT_VARIABLE release_time
                          OUTPUT_STRIP_TRAILING_WHITESPACE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS packaging/changelog)
  if(release_time)
    list(APPEND OVOLTA_MAN_ENV SOURCE_DATE_EPOCH=${release_time})
  endif()
endif()

function(ovolta_man_page program)
  set(include ${PROJECT_SOURCE_DIR}/packaging/man/${program}.h2m)
  if(NOT EXISTS ${include})
    message(FATAL_ERROR "ovolta_man_page(${program}): write its description in ${include}")
  endif()
  if(NOT OVOLTA_MAN_PAGES)
    return()
  endif()
  if(NOT HELP2MAN OR NOT GZIP)
    message(WARNING "help2man or gzip not found, so no manual page for ${program} "
                    "(scripts/install-deps.sh installs them)")
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E env ${OVOLTA_MAN_ENV} ${HELP2MAN} --no-info --section=1
            --include=${include} --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${page}
    DEPENDS ${program} ${include}
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  add_custom_target(${program}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION share/man/man1)
endfunction()
