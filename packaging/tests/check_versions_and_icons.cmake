# cmake -DVERSION= -DMETAINFO= -DCHANGELOG= -DEVAL= -DICONS= -DAPP_ID= -P <this file>
# Fails, naming what disagrees, unless the version of project() is what `tolvane-eval --version`
# reports and the newest release of the AppStream listing and of CHANGELOG.md (same date), and
# unless every icon PNG is as large as its name says.
cmake_minimum_required(VERSION 3.25)
set(faults "")

execute_process(COMMAND ${EVAL} --version OUTPUT_VARIABLE reported
                OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT reported STREQUAL "tolvane-eval ${VERSION}")
    list(APPEND faults "tolvane-eval --version printed '${reported}' (status ${status})")
endif()

# The first <release> is the newest: software centres and the package changelog read it so.
file(READ ${METAINFO} xml)
string(REGEX MATCH "<release version=\"([^\"]*)\" date=\"([^\"]*)\"" release "${xml}")
set(listedVersion "${CMAKE_MATCH_1}")
set(listedDate "${CMAKE_MATCH_2}")
if(NOT listedVersion STREQUAL VERSION)
    list(APPEND faults "the newest AppStream release is '${listedVersion}'")
endif()

# CHANGELOG.md: "## <version> - <date>" headings, newest first.
file(STRINGS ${CHANGELOG} headings REGEX "^## ")
list(GET headings 0 newest)
if(NOT newest MATCHES "^## ([^ ]+) - ([0-9-]+)$")
    list(APPEND faults "CHANGELOG.md's first heading '${newest}' is not '## <version> - <date>'")
elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION OR NOT CMAKE_MATCH_2 STREQUAL listedDate)
    list(APPEND faults "CHANGELOG.md's newest entry is ${CMAKE_MATCH_1} of ${CMAKE_MATCH_2}")
endif()

# A PNG's width and height are the big-endian words at bytes 16 and 20.
file(GLOB pngs ${ICONS}/${APP_ID}-*.png)
if(NOT pngs)
    list(APPEND faults "no icon PNGs in ${ICONS}")
endif()
foreach(png IN LISTS pngs)
    string(REGEX MATCH "-([0-9]+)\\.png$" match "${png}")
    set(size ${CMAKE_MATCH_1})
    file(READ ${png} header OFFSET 16 LIMIT 8 HEX)
    string(SUBSTRING "${header}" 0 8 width)
    string(SUBSTRING "${header}" 8 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT width EQUAL size OR NOT height EQUAL size)
        list(APPEND faults "${png} is ${width}x${height}")
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "versions or icons disagree:\n  ${text}")
endif()
message(STATUS "version ${VERSION} everywhere; ${APP_ID} icons at their sizes")
