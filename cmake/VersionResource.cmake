# kestrune_version_resource(target VERSION a.b.c.d DESCRIPTION text ...)
# Filled in by the version-resource work; defined early so callers can rely on it.
function(kestrune_version_resource target)
endfunction()
