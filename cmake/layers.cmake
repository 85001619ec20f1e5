# Include roots that keep the layers: a library publishes a folder of its own that holds only its
# sources' folder (by a link), so "lyrics/lrcfile.h" is found only by the code that links
# lrc_lyrics, and a header of a higher library included from a lower one does not compile.

# lrc_publish_folder(target folder name): code linking target includes the files of folder as "name/…".
function(lrc_publish_folder target folder name)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${folder} ${root}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
