# When the compiler runs under ccache, ccache can cache the sources that use a precompiled
# header only when it is told to be sloppy about the header's definitions and time macros,
# with gcc's preprocessor leaving the header's use in its output, and with clang's header
# carrying no time stamp.
if(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
    set(sloppiness pch_defines,time_macros)
    if(DEFINED ENV{CCACHE_SLOPPINESS})
        string(PREPEND sloppiness "$ENV{CCACHE_SLOPPINESS},")
    endif()
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=${sloppiness}
        ${CMAKE_CXX_COMPILER_LAUNCHER})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-fpch-preprocess)
    elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        add_compile_options(-Xclang -fno-pch-timestamp)
    endif()
endif()
