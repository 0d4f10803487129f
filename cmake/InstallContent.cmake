# Copies the hand-written data into the game folder.
#   cmake -DSOURCE=<content> -DGAME=<game folder> -P InstallContent.cmake
# Files under "defaults" are the player's settings: they are copied only when
# the game folder has none yet, so a rebuild never overwrites them.
file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*)
foreach(f ${files})
  if(f MATCHES "^defaults/(.*)$")
    set(target ${GAME}/${CMAKE_MATCH_1})
    if(NOT EXISTS ${target})
      configure_file(${SOURCE}/${f} ${target} COPYONLY)
    endif()
  else()
    configure_file(${SOURCE}/${f} ${GAME}/${f} COPYONLY)
  endif()
endforeach()
