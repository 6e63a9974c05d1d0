function boot() log("boot: " .. tarn.app_name) end
function init() end
function update(dt) print("printed, not in the log file") end
function render() end
