# Compiles the files of a folder into a target as box::webAssets(), so the box
# serves its page without reading files at run time.
#
# Included from a CMakeLists: defines orvalis_embed_web_assets(target folder).
# Run with cmake -P (from the build step it adds): writes the generated source.

if(CMAKE_SCRIPT_MODE_FILE)
  # -DOUT=file.cpp -DROOT=folder -DFILES=a|b|c
  string(REPLACE "|" ";" FILES "${FILES}")
  set(defs "")
  set(entries "")
  set(i 0)
  foreach(f IN LISTS FILES)
    file(READ "${f}" hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    file(RELATIVE_PATH rel "${ROOT}" "${f}")
    string(APPEND defs "const unsigned char asset${i}[] = {\n${bytes}0};\n")
    string(APPEND entries "        {\"/${rel}\", {reinterpret_cast<const char*>(asset${i}), ${size}}},\n")
    math(EXPR i "${i} + 1")
  endforeach()
  set(text "// Generated from the page sources at build time; edit those instead.\n#include \"box/display/WebAssets.h\"\n\nnamespace box {\nnamespace {\n${defs}} // namespace\n\nconst std::vector<WebAsset>& webAssets()\n{\n    static const std::vector<WebAsset> assets = {\n${entries}    };\n    return assets;\n}\n\n} // namespace box\n")
  file(WRITE "${OUT}.tmp" "${text}")
  file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUT}.tmp")
  return()
endif()

set(ORVALIS_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

function(orvalis_embed_web_assets target folder)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*.html ${folder}/*.css ${folder}/*.js ${folder}/*.svg)
  list(SORT files)
  string(REPLACE ";" "|" joined "${files}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/WebAssetsData.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DROOT=${folder} "-DFILES=${joined}" -P ${ORVALIS_EMBED_SCRIPT}
    DEPENDS ${files} ${ORVALIS_EMBED_SCRIPT}
    COMMENT "Embedding the browser page"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
