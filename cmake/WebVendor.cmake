# SPDX-License-Identifier: GPL-3.0-or-later
# The pages' third-party files: destination inside the web folder, then source inside node_modules.
# three.module.js imports ./three.core.js, so both travel together. Only the font
# faces that css/casino.css declares are copied.
set(vendor_map
  "vendor/three/three.module.js=three/build/three.module.js"
  "vendor/three/three.core.js=three/build/three.core.js"
)
foreach(weight 400 500 600 700 800)
  list(APPEND vendor_map
    "vendor/fonts/manrope-latin-${weight}-normal.woff2=@fontsource/manrope/files/manrope-latin-${weight}-normal.woff2")
endforeach()
foreach(face 400-normal 600-normal 700-normal 400-italic)
  list(APPEND vendor_map
    "vendor/fonts/playfair-display-latin-${face}.woff2=@fontsource/playfair-display/files/playfair-display-latin-${face}.woff2")
endforeach()
# Their licences, which travel with them in the release tarball.
set(vendor_licences three/LICENSE @fontsource/manrope/LICENSE @fontsource/playfair-display/LICENSE)
