# vellumo_gmime and vellumo_gumbo: the MIME and HTML libraries, as the areas link them.
#
# A send spends a quarter of its time in the dynamic loader, and GMime alone brings fifteen shared
# objects (GLib, GObject, GIO and theirs). The commands module (the one part every mail command
# loads) therefore links GMime, GLib and gumbo from their static archives when the build lays its
# code out for start-up (VELLUMO_ORDER_LINK_OPTIONS: Release with lld); every other target, the
# tests and the sanitizer build included, links the shared libraries. A target asks for the static
# form with the property VELLUMO_STATIC_MAIL_LIBS; the choice is made per linked target, so one
# process never holds two copies of GLib (the program and the other modules link none).
#
# The archives hide their symbols in the module (vellumo_module links with --exclude-libs,ALL).
# What has no usable archive stays shared: gpgme, libidn2, libmount, libselinux.

add_library(vellumo_gmime INTERFACE)
add_library(vellumo_gumbo INTERFACE)
set(static_mail_libs "$<BOOL:$<TARGET_PROPERTY:VELLUMO_STATIC_MAIL_LIBS>>")
set(shared_mail_libs "$<NOT:${static_mail_libs}>")
target_link_libraries(vellumo_gmime INTERFACE "$<${shared_mail_libs}:PkgConfig::GMIME>")
target_link_libraries(vellumo_gumbo INTERFACE "$<${shared_mail_libs}:PkgConfig::GUMBO>")
target_include_directories(vellumo_gmime INTERFACE ${GMIME_INCLUDE_DIRS})
target_include_directories(vellumo_gumbo INTERFACE ${GUMBO_INCLUDE_DIRS})

set(VELLUMO_STATIC_MAIL_LIBS_AVAILABLE OFF)
if(VELLUMO_ORDER_LINK_OPTIONS)
  # The archives in an order any linker accepts (each before what it uses); lld needs none.
  set(archives gmime-3.0 gio-2.0 gobject-2.0 gmodule-2.0 glib-2.0 pcre2-8 ffi z)
  set(static_gmime "")
  set(missing "")
  foreach(name ${archives})
    find_library(VELLUMO_ARCHIVE_${name} NAMES lib${name}.a HINTS ${GMIME_STATIC_LIBRARY_DIRS})
    if(VELLUMO_ARCHIVE_${name})
      list(APPEND static_gmime ${VELLUMO_ARCHIVE_${name}})
    else()
      list(APPEND missing lib${name}.a)
    endif()
  endforeach()
  # The rest of what pkg-config names for a static GMime, shared.
  foreach(name ${GMIME_STATIC_LIBRARIES})
    if(name IN_LIST archives OR name STREQUAL "sepol" OR name STREQUAL "blkid")
      continue()  # linked above, or needed only by an archive we do not use
    elseif(name STREQUAL "m" OR name STREQUAL "dl" OR name STREQUAL "pthread")
      list(APPEND static_gmime ${name})
    else()
      find_library(VELLUMO_SHARED_${name} NAMES ${name} HINTS ${GMIME_STATIC_LIBRARY_DIRS})
      if(VELLUMO_SHARED_${name})
        list(APPEND static_gmime ${VELLUMO_SHARED_${name}})
      else()
        list(APPEND missing lib${name}.so)
      endif()
    endif()
  endforeach()
  find_library(VELLUMO_ARCHIVE_gumbo NAMES libgumbo.a HINTS ${GUMBO_STATIC_LIBRARY_DIRS})
  if(NOT VELLUMO_ARCHIVE_gumbo)
    list(APPEND missing libgumbo.a)
  endif()
  find_package(Threads REQUIRED)
  if(missing)
    list(REMOVE_DUPLICATES missing)
    message(STATUS "GMime and gumbo are linked shared into the commands module (missing: ${missing})")
  else()
    set(VELLUMO_STATIC_MAIL_LIBS_AVAILABLE ON)
    target_link_libraries(vellumo_gmime INTERFACE
                          "$<${static_mail_libs}:${static_gmime};Threads::Threads>")
    target_link_libraries(vellumo_gumbo INTERFACE
                          "$<${static_mail_libs}:${VELLUMO_ARCHIVE_gumbo}>")
  endif()
endif()
