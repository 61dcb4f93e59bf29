#pragma once

// Registers the images compiled into the library (icons and logo); safe to
// call more than once. Every class that shows them calls it first.
void initImageResources();
