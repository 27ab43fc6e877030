# Replaced by the Wine lab harness glue; until then, Windows tests are only built.
function(kovr_add_wine_test)
endfunction()
