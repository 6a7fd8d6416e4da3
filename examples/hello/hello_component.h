/* The hello component's library, module name HELLO (libhello.so): the timer
 * callback that devavu's timer thread finds by name. */
#ifndef HELLO_COMPONENT_H
#define HELLO_COMPONENT_H

#include <stdint.h>

#include "devavu_compiler.h"

#define HELLO_API DVU_EXPORT

HELLO_API void HelloTick(uint32_t corr, uint32_t final);
/* How often HelloTick ran, and whether its final call came. */
HELLO_API int hello_ticks(void);
HELLO_API int hello_done(void);

#endif
