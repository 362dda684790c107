# Warning and sanitizer flags, chosen per compiler family (GCC and Clang, or MSVC).
option(KAV_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KAV_WERROR "Treat compiler warnings as errors (CI turns it on)" OFF)

# CMake adds -Werror or /WX for the compiler in use.
set(CMAKE_COMPILE_WARNING_AS_ERROR ${KAV_WERROR})

if(MSVC)
  add_compile_options(/W4 /permissive- /utf-8)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
endif()

if(KAV_SANITIZE)
  if(MSVC OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "KAV_SANITIZE needs GCC or Clang")
  endif()
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
