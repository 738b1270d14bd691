# Writes the file IN as one C++ raw string literal into OUT.
file(READ ${IN} content)
file(WRITE ${OUT} "R\"zxembed(${content})zxembed\"\n")
