# vellumo_gmime, vellumo_gumbo and vellumo_sqlite: the MIME, HTML and SQLite libraries, as the
# areas link them.
#
# A process start spends much of its time in the dynamic loader: GMime alone brings fifteen shared
# objects (GLib, GObject, GIO and theirs), and SQLite binds some 1,600 of its own symbols at every
# start. When the build lays its code out for start-up (VELLUMO_ORDER_LINK_OPTIONS: Release with
# lld), the program links SQLite from its static archive, and the commands module (the one part
# every other command loads) links SQLite, GMime, GLib and gumbo from theirs, hidden there
# (vellumo_module links with --exclude-libs,ALL). Every other target, the tests and the sanitizer
# build included, links the shared libraries. A target asks for the static form with the property
# VELLUMO_STATIC_LIBS; the choice is made per linked target, so no process holds two copies of
# GLib (nothing else links it). The program's copy of SQLite and the module's never meet: a
# command runs in one or the other, and each opens the registry itself.
#
# What has no usable archive stays shared: gpgme, libmount, libselinux.

add_library(vellumo_gmime INTERFACE)
add_library(vellumo_gumbo INTERFACE)
add_library(vellumo_sqlite INTERFACE)
set(static_libs "$<BOOL:$<TARGET_PROPERTY:VELLUMO_STATIC_LIBS>>")
set(shared_libs "$<NOT:${static_libs}>")
target_link_libraries(vellumo_gmime INTERFACE "$<${shared_libs}:PkgConfig::GMIME>")
target_link_libraries(vellumo_gumbo INTERFACE "$<${shared_libs}:PkgConfig::GUMBO>")
target_link_libraries(vellumo_sqlite INTERFACE "$<${shared_libs}:SQLite::SQLite3>")
target_include_directories(vellumo_gmime INTERFACE ${GMIME_INCLUDE_DIRS})
target_include_directories(vellumo_gumbo INTERFACE ${GUMBO_INCLUDE_DIRS})
target_include_directories(vellumo_sqlite INTERFACE ${SQLite3_INCLUDE_DIRS})

set(VELLUMO_STATIC_LIBS_AVAILABLE OFF)
if(VELLUMO_ORDER_LINK_OPTIONS)
  # The archives in an order any linker accepts (each before what it uses); lld needs none.
  set(archives gmime-3.0 idn2 unistring gio-2.0 gobject-2.0 gmodule-2.0 glib-2.0 pcre2-8 ffi z)
  get_filename_component(sqlite_dir "${SQLite3_LIBRARY}" DIRECTORY)
  set(static_gmime "")
  set(missing "")
  foreach(name ${archives} gumbo sqlite3)
    find_library(VELLUMO_ARCHIVE_${name} NAMES lib${name}.a
                 HINTS ${GMIME_STATIC_LIBRARY_DIRS} ${GUMBO_STATIC_LIBRARY_DIRS} ${sqlite_dir})
    if(NOT VELLUMO_ARCHIVE_${name})
      list(APPEND missing lib${name}.a)
    elseif(name IN_LIST archives)
      list(APPEND static_gmime ${VELLUMO_ARCHIVE_${name}})
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
  find_package(Threads REQUIRED)
  if(missing)
    list(REMOVE_DUPLICATES missing)
    message(STATUS "SQLite, GMime and gumbo are linked shared (missing: ${missing})")
  else()
    set(VELLUMO_STATIC_LIBS_AVAILABLE ON)
    target_link_libraries(vellumo_gmime INTERFACE
                          "$<${static_libs}:${static_gmime};Threads::Threads>")
    target_link_libraries(vellumo_gumbo INTERFACE
                          "$<${static_libs}:${VELLUMO_ARCHIVE_gumbo}>")
    target_link_libraries(vellumo_sqlite INTERFACE
                          "$<${static_libs}:${VELLUMO_ARCHIVE_sqlite3};Threads::Threads;m;${CMAKE_DL_LIBS}>")
  endif()
endif()
