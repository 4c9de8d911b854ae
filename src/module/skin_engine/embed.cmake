# cmake -DINPUT=<file> -DOUTPUT=<source.cpp> -DNAME=<array> -P embed.cmake
# Turns a binary file made at build time into a carried constant array.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/byte_array.cmake)
set(source_file "${INPUT}")
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" ";0x\\1" bytes "${hex}")
string(SUBSTRING "${bytes}" 1 -1 bytes)
write_byte_array("${OUTPUT}" "${NAME}" "${bytes}")
