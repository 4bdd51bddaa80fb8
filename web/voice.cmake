# The voice's chunk of the web edition: platform/voice (the desktop's sources, target
# zorvanta_voice in src/CMakeLists.txt) over aubio and speexdsp compiled here from
# Debian's source packages, which scripts/debian-sources.sh fetches, checks and
# unpacks into ZORVANTA_THIRD_PARTY_DIR. Its own module, site/voice.{js,wasm}: the
# page fetches it only when the player turns singing on, so the first load never
# carries it.
set(ZORVANTA_THIRD_PARTY_DIR ${CMAKE_BINARY_DIR}/third_party CACHE PATH "Debian's aubio and speexdsp sources, unpacked")
set(_aubio ${ZORVANTA_THIRD_PARTY_DIR}/aubio-0.4.9/src)
set(_speexdsp ${ZORVANTA_THIRD_PARTY_DIR}/speexdsp-1.2.1)
if(NOT EXISTS ${_aubio}/aubio.h OR NOT EXISTS ${_speexdsp}/libspeexdsp/mdf.c)
  message(FATAL_ERROR "aubio's and speexdsp's sources are not in ${ZORVANTA_THIRD_PARTY_DIR}: "
                      "run scripts/debian-sources.sh ${ZORVANTA_THIRD_PARTY_DIR} (scripts/web.sh does)")
endif()

enable_language(C)

# aubio: what the pitch tracker and the onset detector reach, with its own FFT
# (Ooura's) instead of FFTW, and no file input or output.
add_library(zorvanta_aubio STATIC
  ${_aubio}/fvec.c ${_aubio}/cvec.c ${_aubio}/lvec.c ${_aubio}/fmat.c ${_aubio}/mathutils.c ${_aubio}/musicutils.c
  ${_aubio}/pitch/pitch.c ${_aubio}/pitch/pitchyin.c ${_aubio}/pitch/pitchyinfft.c ${_aubio}/pitch/pitchyinfast.c
  ${_aubio}/pitch/pitchmcomb.c ${_aubio}/pitch/pitchschmitt.c ${_aubio}/pitch/pitchfcomb.c ${_aubio}/pitch/pitchspecacf.c
  ${_aubio}/onset/onset.c ${_aubio}/onset/peakpicker.c
  ${_aubio}/spectral/fft.c ${_aubio}/spectral/ooura_fft8g.c ${_aubio}/spectral/phasevoc.c
  ${_aubio}/spectral/specdesc.c ${_aubio}/spectral/awhitening.c ${_aubio}/spectral/statistics.c
  ${_aubio}/temporal/filter.c ${_aubio}/temporal/biquad.c ${_aubio}/temporal/c_weighting.c ${_aubio}/utils/hist.c ${_aubio}/utils/scale.c
  ${_aubio}/utils/log.c)
target_include_directories(zorvanta_aubio PRIVATE ${_aubio})
target_compile_definitions(zorvanta_aubio PRIVATE HAVE_STDLIB_H HAVE_STDIO_H HAVE_MATH_H HAVE_STRING_H HAVE_ERRNO_H
  HAVE_LIMITS_H HAVE_STDARG_H HAVE_C99_VARARGS_MACROS)
# The headers are included as <aubio/aubio.h>, as from Debian's package.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/third_party_include)
file(CREATE_LINK ${_aubio} ${CMAKE_BINARY_DIR}/third_party_include/aubio SYMBOLIC)
target_include_directories(zorvanta_aubio SYSTEM PUBLIC ${CMAKE_BINARY_DIR}/third_party_include)

# speexdsp: the echo canceller, the preprocessor and the resampler, built in floating
# point with its small FFT, as Debian's package is.
file(WRITE ${CMAKE_BINARY_DIR}/third_party_include/speex/speexdsp_config_types.h
  "#pragma once\n#include <stdint.h>\ntypedef int16_t spx_int16_t;\ntypedef uint16_t spx_uint16_t;\n"
  "typedef int32_t spx_int32_t;\ntypedef uint32_t spx_uint32_t;\n")
foreach(_header speex_echo.h speex_preprocess.h speex_resampler.h speexdsp_types.h)
  configure_file(${_speexdsp}/include/speex/${_header} ${CMAKE_BINARY_DIR}/third_party_include/speex/${_header} COPYONLY)
endforeach()
add_library(zorvanta_speexdsp STATIC
  ${_speexdsp}/libspeexdsp/mdf.c ${_speexdsp}/libspeexdsp/preprocess.c ${_speexdsp}/libspeexdsp/resample.c
  ${_speexdsp}/libspeexdsp/fftwrap.c ${_speexdsp}/libspeexdsp/smallft.c ${_speexdsp}/libspeexdsp/filterbank.c)
target_include_directories(zorvanta_speexdsp SYSTEM PUBLIC ${CMAKE_BINARY_DIR}/third_party_include)
target_compile_definitions(zorvanta_speexdsp PRIVATE FLOATING_POINT USE_SMALLFT EXPORT=)

foreach(_library zorvanta_aubio zorvanta_speexdsp)
  # Their own code, compiled as it is: its warnings are not this project's.
  target_compile_options(${_library} PRIVATE -w)
endforeach()

# The module: the voice's entry points for the page's capture (web/page/voice.js).
add_executable(zorvanta_voice_web src/VoiceMain.cpp)
target_link_libraries(zorvanta_voice_web PRIVATE zorvanta_voice)
set_target_properties(zorvanta_voice_web PROPERTIES OUTPUT_NAME voice SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY ${ZORVANTA_SITE_DIR})
target_link_options(zorvanta_voice_web PRIVATE ${_web_flags}
  -sMODULARIZE -sEXPORT_NAME=createVoice -sENVIRONMENT=web -sEXPORTED_RUNTIME_METHODS=HEAPF32
  -sFILESYSTEM=0 -sINITIAL_MEMORY=4194304 -sTOTAL_STACK=131072 -sALLOW_MEMORY_GROWTH=1)
