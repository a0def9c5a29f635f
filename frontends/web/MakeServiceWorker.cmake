# Writes ${SITE}/sw.js from TEMPLATE: FILES (comma-separated, relative to SITE) become the list
# the worker keeps, each with the SHA-256 digest of its contents, and a digest of those digests
# names its cache.
string(REPLACE "," ";" files "${FILES}")
set(digests "")
set(list "")
foreach(file ${files})
    if(NOT EXISTS ${SITE}/${file})
        message(FATAL_ERROR "sw.js: ${SITE}/${file} is missing")
    endif()
    file(SHA256 ${SITE}/${file} digest)
    string(APPEND digests "${file}:${digest}\n")
    string(APPEND list "  [\"${file}\", \"${digest}\"],\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 NOCTURO_SITE_VERSION)
set(NOCTURO_SITE_FILES "${list}")
configure_file(${TEMPLATE} ${SITE}/sw.js @ONLY)
