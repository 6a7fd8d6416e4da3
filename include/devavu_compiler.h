/*
 * devavu_compiler.h: the compiler and linker specifics of devavu and its
 * companion libraries, in one place: export and import of a shared
 * library's functions, the calling convention, an alias name of a function,
 * printf-style format checking and hidden visibility. The GNU and the
 * Windows (MSVC, mingw) spellings stand side by side. Compiles as C99 and
 * C++.
 */
#ifndef DEVAVU_COMPILER_H
#define DEVAVU_COMPILER_H

/* DVU_EXPORT marks a function of the library being built as exported,
 * DVU_IMPORT one that a user of the library calls. Each library's header
 * picks one by its own *_BUILDING definition. */
#if defined(_WIN32)
/* An import is a plain declaration: the import library resolves the call,
 * and a program may define the function itself in its place (the unit
 * tests' fakes of the companion libraries do). */
#  define DVU_EXPORT __declspec(dllexport)
#  define DVU_IMPORT
#  define DVU_HIDDEN
#elif defined(__GNUC__)
#  define DVU_EXPORT __attribute__((visibility("default")))
#  define DVU_IMPORT __attribute__((visibility("default")))
#  define DVU_HIDDEN __attribute__((visibility("hidden")))
#else
#  define DVU_EXPORT
#  define DVU_IMPORT
#  define DVU_HIDDEN
#endif

/* The calling convention of the product's entry points: stdcall on 32-bit
 * Windows, the platform's own elsewhere. */
#if defined(_WIN32)
#  define DVU_STDCALL __stdcall
#else
#  define DVU_STDCALL
#endif

/* DVU_PRINTF(f, a): argument f is a printf format whose inserts start at
 * argument a (counted from 1). */
#if defined(__MINGW32__)
#  define DVU_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#elif defined(__GNUC__)
#  define DVU_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#  define DVU_PRINTF(f, a)
#endif

/* DVU_ALIAS(target), after a function's declaration, makes that function a
 * second name of target, a function of the same type defined in the same
 * file: one address, not a wrapper. Compilers without the attribute (MSVC)
 * leave the alias to the module-definition file, and the declaration stays
 * a declaration. */
#if defined(__GNUC__)
#  define DVU_ALIAS(target) __attribute__((alias(#target)))
#else
#  define DVU_ALIAS(target)
#endif

#endif /* DEVAVU_COMPILER_H */
