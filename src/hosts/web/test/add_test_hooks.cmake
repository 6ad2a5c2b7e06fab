# Makes a copied index.html the test page: the test hooks' script is loaded right after page.js.
file(READ ${PAGE} page)
string(REPLACE "<script src=\"page.js\"></script>"
       "<script src=\"page.js\"></script>\n<script src=\"test_hooks.js\"></script>" page "${page}")
file(WRITE ${PAGE} "${page}")
