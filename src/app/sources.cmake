# Sources of src/app, added to pinacora_ui.
