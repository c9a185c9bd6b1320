# Sources of src/sound that need Qt (the playlist window), added to pinacora_ui.
