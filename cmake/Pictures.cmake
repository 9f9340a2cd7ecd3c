# The demos' pictures, made at build time from their own frames: each demo's
# capture tool renders one frame, make_picture cuts it to the picture's shape
# and scales it. The Linux installation's icons and the site's front page are
# made this way, so every picture of a demo is the demo's real frame.

# The frames chosen for a clear look at each tube at icon size.
set(TUBE_PICTURE_HELIXSOFT_SPIN 30)
set(TUBE_PICTURE_HELIXSOFT_FRAME 150)
set(TUBE_PICTURE_VESSELGL_FRAME 100)

# The name the capture tools give frame N: frame_NNNNNN.png.
function(tube_frame_file var frame)
  string(LENGTH "${frame}" digits)
  math(EXPR padding "6 - ${digits}")
  string(REPEAT 0 ${padding} zeros)
  set(${var} frame_${zeros}${frame}.png PARENT_SCOPE)
endfunction()

# tube_demo_pictures(TARGET name DIR dir SIZES WxH... HELIXSOFT_CAPTURE path
#                    VESSELGL_CAPTURE path MAKE_PICTURE path DEPENDS targets...)
# Adds the target that makes DIR/<demo>-<W>x<H>.png for both demos and every size.
function(tube_demo_pictures)
  cmake_parse_arguments(PARSE_ARGV 0 arg ""
    "TARGET;DIR;HELIXSOFT_CAPTURE;VESSELGL_CAPTURE;MAKE_PICTURE" "SIZES;DEPENDS")
  tube_frame_file(helixsoft_file ${TUBE_PICTURE_HELIXSOFT_FRAME})
  tube_frame_file(vesselgl_file ${TUBE_PICTURE_VESSELGL_FRAME})
  set(helixsoft_frame ${arg_DIR}/helixsoft/${helixsoft_file})
  set(vesselgl_frame ${arg_DIR}/vesselgl/${vesselgl_file})
  add_custom_command(OUTPUT ${helixsoft_frame}
    COMMAND ${arg_HELIXSOFT_CAPTURE} --start-spin ${TUBE_PICTURE_HELIXSOFT_SPIN}
      --frames ${TUBE_PICTURE_HELIXSOFT_FRAME} --save ${TUBE_PICTURE_HELIXSOFT_FRAME}
      --out ${arg_DIR}/helixsoft
    DEPENDS ${arg_DEPENDS} VERBATIM)
  add_custom_command(OUTPUT ${vesselgl_frame}
    COMMAND ${arg_VESSELGL_CAPTURE} --frames ${TUBE_PICTURE_VESSELGL_FRAME}
      --save ${TUBE_PICTURE_VESSELGL_FRAME}
      --texture ${PROJECT_SOURCE_DIR}/vesselgl/assets/artery.tga --out ${arg_DIR}/vesselgl
    DEPENDS ${arg_DEPENDS} ${PROJECT_SOURCE_DIR}/vesselgl/assets/artery.tga VERBATIM)
  set(pictures)
  foreach(demo helixsoft vesselgl)
    foreach(size ${arg_SIZES})
      string(REPLACE "x" ";" sides ${size})
      set(picture ${arg_DIR}/${demo}-${size}.png)
      add_custom_command(OUTPUT ${picture}
        COMMAND ${arg_MAKE_PICTURE} ${${demo}_frame} ${picture} ${sides}
        DEPENDS ${${demo}_frame} ${arg_DEPENDS} VERBATIM)
      list(APPEND pictures ${picture})
    endforeach()
  endforeach()
  add_custom_target(${arg_TARGET} ALL DEPENDS ${pictures})
endfunction()
